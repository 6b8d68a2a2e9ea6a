#include "taskmodel/node_factory.h"

#include <string>

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/display_item_catalogue.h"

namespace kestrune {
namespace {

// What the two catalogues know of a kind, for finding it and naming it in errors.
struct KindEntry {
    std::int16_t kind = 0;
    FourCC fileTag{};
    std::string_view caption;
    bool isBlock = false;
};

template <class Info>
std::optional<KindEntry> entryOf(const Info* info, bool isBlock) {
    if (info == nullptr) return std::nullopt;
    return KindEntry{info->kind, info->fileTag, info->caption, isBlock};
}

// Only kinds a factory can make: blocks and display items, not the wire.
std::optional<KindEntry> nodeKind(const BlockKindInfo* block, const DisplayItemKindInfo* item) {
    if (block != nullptr && block->isBlock()) return entryOf(block, true);
    return entryOf(item, false);
}

std::optional<KindEntry> kindByCode(std::int32_t kind) {
    return nodeKind(FindKindByCode(kind), FindDisplayItemKindByCode(kind));
}

std::string describe(std::int32_t kind) {
    const std::optional<KindEntry> entry = kindByCode(kind);
    std::string text = (entry && !entry->isBlock ? "display item kind " : "block kind ") + std::to_string(kind);
    if (entry) {
        text += " (" + std::string(toString(entry->fileTag));
        if (!entry->caption.empty()) text += ", " + std::string(entry->caption);
        text += ")";
    }
    return text;
}

BlockCreation asBlock(NodeCreation made) {
    if (made.node == nullptr) return {nullptr, std::move(made.status)};
    auto* block = dynamic_cast<Block*>(made.node.get());
    if (block == nullptr) {
        return {nullptr, {kNodeKindUnavailable, describe(made.node->kind()) + " is not a block"}};
    }
    made.node.release();
    return {std::unique_ptr<Block>(block), std::move(made.status)};
}

}  // namespace

Status NodeFactory::Register(std::int16_t kind, NodeCreator creator) {
    if (!kindByCode(kind) || !creator) return {kNodeKindUnavailable, describe(kind) + " cannot be registered"};
    if (!creators_.emplace(kind, std::move(creator)).second) {
        return {kNodeKindUnavailable, describe(kind) + " is registered twice"};
    }
    return {};
}

std::vector<std::int16_t> NodeFactory::RegisteredKinds() const {
    std::vector<std::int16_t> kinds;
    for (const auto& entry : creators_) kinds.push_back(static_cast<std::int16_t>(entry.first));
    return kinds;
}

NodeCreation NodeFactory::CreateNodeForKind(std::int32_t kind, const NodeContext& context) const {
    const auto it = creators_.find(kind);
    if (it == creators_.end()) return {nullptr, {kNodeKindUnavailable, describe(kind) + " is not available"}};
    std::unique_ptr<Node> node = it->second(context);
    if (node == nullptr) return {nullptr, {kMsgOutOfMemory, describe(kind)}};
    // A creator that makes another kind would save its nodes under the wrong tag.
    if (node->kind() != kind) {
        return {nullptr, {kNodeKindUnavailable, describe(kind) + " made " + describe(node->kind())}};
    }
    return {std::move(node), {}};
}

NodeCreation NodeFactory::CreateNodeForTool(int toolId, const NodeContext& context) const {
    const std::optional<KindEntry> entry = nodeKind(FindKindByTool(toolId), FindDisplayItemKindByTool(toolId));
    if (!entry) return {};
    return CreateNodeForKind(entry->kind, context);
}

NodeCreation NodeFactory::CreateNodeForTag(const FourCC& fileTag, const NodeContext& context) const {
    const std::optional<KindEntry> entry = nodeKind(FindKindByTag(fileTag), FindDisplayItemKindByTag(fileTag));
    if (!entry) {
        return {nullptr, {kNodeKindUnavailable, "no node kind has the tag " + std::string(toString(fileTag))}};
    }
    return CreateNodeForKind(entry->kind, context);
}

BlockCreation NodeFactory::CreateForKind(std::int32_t kind, const NodeContext& context) const {
    if (!isBlockKind(kind) && FindDisplayItemKindByCode(kind) != nullptr) {
        return {nullptr, {kBlockKindUnavailable, describe(kind) + " is not a block"}};
    }
    return asBlock(CreateNodeForKind(kind, context));
}

BlockCreation NodeFactory::CreateForTool(int toolId, const NodeContext& context) const {
    const BlockKindInfo* info = FindKindByTool(toolId);
    if (info == nullptr || !info->isBlock()) return {};
    return asBlock(CreateNodeForKind(info->kind, context));
}

BlockCreation NodeFactory::CreateForTag(const FourCC& fileTag, const NodeContext& context) const {
    const BlockKindInfo* info = FindKindByTag(fileTag);
    if (info == nullptr || !info->isBlock()) {
        return {nullptr,
                {kBlockKindUnavailable, "no block kind has the tag " + std::string(toString(fileTag))}};
    }
    return asBlock(CreateNodeForKind(info->kind, context));
}

}  // namespace kestrune
