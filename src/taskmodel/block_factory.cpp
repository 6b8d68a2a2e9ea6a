#include "taskmodel/block_factory.h"

#include <string>

#include "taskmodel/object_record.h"
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
        RecordReader skipped(in, tag);
        Status status = skipped.finish({});
        if (status)
            status = {kRecordLoadError,
                      std::string(toString(tag)) + " record skipped: " + made.status.context};
        return {nullptr, std::move(status)};
    }
    Status status = made.block->Load(in, fileVersion);
    return {std::move(made.block), std::move(status)};
}

}  // namespace kestrune
