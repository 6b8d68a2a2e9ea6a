#include "taskmodel/legacy_program_block.h"

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune {

LegacyProgramBlock::LegacyProgramBlock(const NodeContext& context) : Block(context, kUserProgramKind) {}

Code LegacyProgramBlock::Start() {
    return refuse(kMsgUserProgramBlockUnsupported);
}

void LegacyProgramBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    if (auto* target = dynamic_cast<LegacyProgramBlock*>(&other)) target->payload_ = payload_;
}

Status LegacyProgramBlock::LoadPayload(BinaryReader& in, int /*fileVersion*/, const RecordReader& record) {
    // Everything up to the record's end is the program; remaining() is
    // confined to the record.
    payload_.assign(record.hasMore() ? in.remaining() : 0, 0);
    if (!payload_.empty()) in.bytes(payload_.data(), payload_.size());
    return {};
}

Status LegacyProgramBlock::SavePayload(BinaryWriter& out) const {
    out.bytes(payload_);
    return {};
}

Status registerLegacyBlockKinds(BlockFactory& factory) {
    return factory.Register<LegacyProgramBlock>(kUserProgramKind);
}

}  // namespace kestrune
