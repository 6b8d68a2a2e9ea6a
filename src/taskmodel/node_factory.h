#pragma once
// Makes the nodes of the kinds this program has: blocks (block catalogue)
// and display items (display item catalogue). Each group of kinds registers
// its creators explicitly (registerLegacyBlockKinds(factory) and the like,
// called once at start-up); nothing registers itself. A kind is found by the
// tool that places it, by its kind code or by the file tag of its record,
// through the two catalogues.
//
// The Create* operations make blocks only, for the task designer and the
// strategy loader; the CreateNode* operations make a node of any kind.

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

// A kind that no catalogue lists, or that one lists but no one registered
// (the context names it).
inline constexpr Code kNodeKindUnavailable = 32854;
inline constexpr Code kBlockKindUnavailable = kNodeKindUnavailable;

using NodeCreator = std::function<std::unique_ptr<Node>(const NodeContext&)>;
using BlockCreator = NodeCreator;

// A made node, or why there is none. No node with status 0: the tool
// places nothing (34130, the wire, the pointer).
struct NodeCreation {
    std::unique_ptr<Node> node;
    Status status;
};
struct BlockCreation {
    std::unique_ptr<Block> block;
    Status status;
};

class NodeFactory {
  public:
    // Takes the creator of `kind`. Refused (kNodeKindUnavailable) for a kind
    // neither catalogue lists as a block or a display item, and for a kind
    // registered twice.
    Status Register(std::int16_t kind, NodeCreator creator);
    // A kind whose constructor takes the context.
    template <class K>
    Status Register(std::int16_t kind) {
        return Register(kind, [](const NodeContext& context) { return std::make_unique<K>(context); });
    }

    bool IsRegistered(std::int32_t kind) const { return creators_.contains(kind); }
    std::vector<std::int16_t> RegisteredKinds() const;

    // A node of any registered kind. A tool without a node kind makes nothing
    // and is no error.
    NodeCreation CreateNodeForKind(std::int32_t kind, const NodeContext& context) const;
    NodeCreation CreateNodeForTool(int toolId, const NodeContext& context) const;
    NodeCreation CreateNodeForTag(const FourCC& fileTag, const NodeContext& context) const;

    // A block; a kind that is not a block is refused, a tool that places no
    // block makes nothing and is no error.
    BlockCreation CreateForKind(std::int32_t kind, const NodeContext& context) const;
    BlockCreation CreateForTool(int toolId, const NodeContext& context) const;
    BlockCreation CreateForTag(const FourCC& fileTag, const NodeContext& context) const;

  private:
    std::map<std::int32_t, NodeCreator> creators_;
};

}  // namespace kestrune
