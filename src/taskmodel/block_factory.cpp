#include "taskmodel/block_factory.h"

#include <string>

#include "taskmodel/object_record.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"

namespace kestrune {

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
