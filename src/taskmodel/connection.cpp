#include "taskmodel/connection.h"

#include <string>

#include "taskmodel/node.h"
#include "taskmodel/object_registry.h"

namespace kestrune {

Status Connection::loadConnection(BinaryReader& in, int fileVersion) {
    const std::uint32_t sourceId = in.u32();
    const std::uint32_t targetId = in.u32();
    const std::uint32_t secondSourceId = in.u32();
    const std::uint32_t secondTargetId = in.u32();
    std::uint16_t sourceOutput = 0;
    std::uint16_t targetInput = 0;
    const bool hasIndices = fileVersion >= 2;
    if (hasIndices) {
        sourceOutput = in.u16();
        targetInput = in.u16();
    }
    if (in.failed()) {
        return {kRecordLoadError,
                "wire " + std::to_string(id()) + " cut short at byte " + std::to_string(in.position())};
    }
    Node* source = registry().FindNode(sourceId);
    Node* target = registry().FindNode(targetId);
    if (!hasIndices && target != nullptr) {
        const std::uint32_t feeding = secondSourceId != 0 ? secondSourceId : sourceId;
        const auto inputs = target->inputs();
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            if (inputs[i].sourceId == feeding) {
                targetInput = static_cast<std::uint16_t>(i);
                break;
            }
        }
    }
    setEnds(source, sourceOutput, target, targetInput);
    setSecondEnds(secondSourceId, secondTargetId);
    if (source == nullptr || target == nullptr) {
        return {kRecordLoadError, "wire " + std::to_string(id()) + " names node " +
                                      std::to_string(source == nullptr ? sourceId : targetId) +
                                      ", which does not exist"};
    }
    return {};
}

void Connection::saveConnection(BinaryWriter& out) const {
    out.u32(source_ != nullptr ? source_->id() : 0);
    out.u32(target_ != nullptr ? target_->id() : 0);
    out.u32(secondSourceId_);
    out.u32(secondTargetId_);
    out.u16(sourceOutput_);
    out.u16(targetInput_);
}

}  // namespace kestrune
