#pragma once
// Makes blocks of the kinds this program has. Each group of kinds registers
// its creators explicitly (registerLegacyBlockKinds(factory) and the like,
// called once at start-up); nothing registers itself. A kind is found by the
// tool that places it, by its kind code or by the file tag of its record,
// through the block catalogue.
//
// The factory also reads one object record of a task section: the strategy
// loader hands it every tag it meets, and a record of a kind that is not
// registered is kept whole as an OpaqueRecord, so the rest of the strategy
// loads and a save writes it back.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/status.h"
#include "taskmodel/block.h"
#include "taskmodel/node_context.h"

namespace kestrune {

// A kind that the catalogue lists but no one registered (the context names it).
inline constexpr Code kBlockKindUnavailable = 32854;

using BlockCreator = std::function<std::unique_ptr<Block>(const NodeContext&)>;

// A made block, or why there is none. No block with status 0: the tool
// places nothing (34130, the wire, the pointer).
struct BlockCreation {
    std::unique_ptr<Block> block;
    Status status;
};

class BlockFactory {
  public:
    // Takes the creator of `kind`. Refused (kBlockKindUnavailable) for a kind
    // the catalogue does not list as a block and for a kind registered twice.
    Status Register(std::int16_t kind, BlockCreator creator);
    // A kind whose constructor takes the context.
    template <class K>
    Status Register(std::int16_t kind) {
        return Register(kind, [](const NodeContext& context) { return std::make_unique<K>(context); });
    }

    bool IsRegistered(std::int32_t kind) const { return creators_.contains(kind); }
    std::vector<std::int16_t> RegisteredKinds() const;

    BlockCreation CreateForKind(std::int32_t kind, const NodeContext& context) const;
    // A tool without a block kind makes nothing and is no error.
    BlockCreation CreateForTool(int toolId, const NodeContext& context) const;
    BlockCreation CreateForTag(const FourCC& fileTag, const NodeContext& context) const;

  private:
    std::map<std::int32_t, BlockCreator> creators_;
};

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
