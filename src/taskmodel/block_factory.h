#pragma once
// The block side of the node factory (node_factory.h), under the name the
// block kinds register with, and the reading of one object record of a task
// section: the strategy loader hands it every tag it meets, and a record of
// a kind that is not registered is kept whole as an OpaqueRecord, so the
// rest of the strategy loads and a save writes it back.

#include <memory>

#include "platform/binary_stream.h"
#include "platform/status.h"
#include "taskmodel/node_context.h"
#include "taskmodel/node_factory.h"

namespace kestrune {

using BlockFactory = NodeFactory;

// One object record of a task section, read after its tag: a wire for
// "SEGL", otherwise a block of the registered kind for the tag. A record whose
// kind is not registered, or whose tag nothing knows, becomes an OpaqueRecord
// holding its bytes, answered with 32910 and what was not loaded (the user is
// told; the file keeps it); the stream is then at the next record. A record
// whose length does not fit the data gives no object. A damaged record gives 32910 with where it stopped,
// together with the object holding what was read of it. The task object's "BTSK" and the section's end tags
// are the task loader's own and never come here.
struct LoadedObject {
    std::unique_ptr<GraphObject> object;
    Status status;
};
LoadedObject LoadObjectRecord(const BlockFactory& factory, BinaryReader& in, const FourCC& tag,
                              const NodeContext& context, int fileVersion);

}  // namespace kestrune
