#pragma once
// The block side of the node factory (node_factory.h), under the name the
// block kinds register with, and the reading of one object record of a task
// section: the strategy loader hands it every tag it meets, and a record of
// a kind that is not registered is skipped by its length, so the rest of the
// strategy loads.

#include <memory>

#include "platform/binary_stream.h"
#include "platform/status.h"
#include "taskmodel/node_context.h"
#include "taskmodel/node_factory.h"

namespace kestrune {

using BlockFactory = NodeFactory;

// One object record of a task section, read after its tag: a wire for
// "SEGL", otherwise a block of the registered kind for the tag. A record whose
// kind is not registered, or whose tag nothing knows, is skipped to its end
// and answered with 32910 and what was skipped; the stream is then at the
// next record. A damaged record gives 32910 with where it stopped, together
// with the object holding what was read of it. The task object's "BTSK"
// and the section's end tags are the task loader's own and never come here.
struct LoadedObject {
    std::unique_ptr<GraphObject> object;
    Status status;
};
LoadedObject LoadObjectRecord(const BlockFactory& factory, BinaryReader& in, const FourCC& tag,
                              const NodeContext& context, int fileVersion);

}  // namespace kestrune
