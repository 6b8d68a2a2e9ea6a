#include "taskmodel/block_factory.h"

#include <string>

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_record.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

std::string describe(std::int32_t kind) {
    const BlockKindInfo* info = FindKindByCode(kind);
    std::string text = "block kind " + std::to_string(kind);
    if (info != nullptr) {
        text += " (" + std::string(toString(info->fileTag));
        if (!info->caption.empty()) text += ", " + std::string(info->caption);
        text += ")";
    }
    return text;
}

}  // namespace

Status BlockFactory::Register(std::int16_t kind, BlockCreator creator) {
    const BlockKindInfo* info = FindKindByCode(kind);
    if (info == nullptr || !info->isBlock() || !creator) {
        return {kBlockKindUnavailable, describe(kind) + " cannot be registered"};
    }
    if (!creators_.emplace(kind, std::move(creator)).second) {
        return {kBlockKindUnavailable, describe(kind) + " is registered twice"};
    }
    return {};
}

std::vector<std::int16_t> BlockFactory::RegisteredKinds() const {
    std::vector<std::int16_t> kinds;
    for (const auto& entry : creators_) kinds.push_back(static_cast<std::int16_t>(entry.first));
    return kinds;
}

BlockCreation BlockFactory::CreateForKind(std::int32_t kind, const NodeContext& context) const {
    const auto it = creators_.find(kind);
    if (it == creators_.end())
        return {nullptr, {kBlockKindUnavailable, describe(kind) + " is not available"}};
    std::unique_ptr<Block> block = it->second(context);
    if (block == nullptr) return {nullptr, {kMsgOutOfMemory, describe(kind)}};
    // A creator that makes another kind would save its blocks under the wrong tag.
    if (block->kind() != kind) {
        return {nullptr, {kBlockKindUnavailable, describe(kind) + " made " + describe(block->kind())}};
    }
    return {std::move(block), {}};
}

BlockCreation BlockFactory::CreateForTool(int toolId, const NodeContext& context) const {
    const BlockKindInfo* info = FindKindByTool(toolId);
    if (info == nullptr || !info->isBlock()) return {};
    return CreateForKind(info->kind, context);
}

BlockCreation BlockFactory::CreateForTag(const FourCC& fileTag, const NodeContext& context) const {
    const BlockKindInfo* info = FindKindByTag(fileTag);
    if (info == nullptr || !info->isBlock()) {
        return {nullptr,
                {kBlockKindUnavailable, "no block kind has the tag " + std::string(toString(fileTag))}};
    }
    return CreateForKind(info->kind, context);
}

LoadedObject LoadObjectRecord(const BlockFactory& factory, BinaryReader& in, const FourCC& tag,
                              const NodeContext& context, int fileVersion) {
    if (tag == Wire::kFileTag) {
        auto wire = std::make_unique<Wire>(context.registry);
        Status status = wire->Load(in, fileVersion);
        return {std::move(wire), std::move(status)};
    }
    BlockCreation made = factory.CreateForTag(tag, context);
    if (made.block == nullptr) {
        Status framing;
        std::unique_ptr<OpaqueRecord> kept = OpaqueRecord::Read(in, tag, context, fileVersion, framing);
        if (kept == nullptr) return {nullptr, std::move(framing)};
        return {std::move(kept),
                {kRecordLoadError,
                 std::string(toString(tag)) + " record kept as it is, not loaded: " + made.status.context}};
    }
    Status status = made.block->Load(in, fileVersion);
    return {std::move(made.block), std::move(status)};
}

}  // namespace kestrune
