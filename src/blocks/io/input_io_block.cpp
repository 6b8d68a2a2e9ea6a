#include "blocks/io/input_io_block.h"

namespace kestrune {

InputIoBlock::InputIoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services,
                           std::uint16_t ddeType)
    : IoBlock(context, kind, services), ddeItem_(ddeType, lock()) {}

InputIoBlock::~InputIoBlock() {
    ddeItem_.withdraw(services().dde);
}

bool InputIoBlock::mayOffer() const {
    return isLive() && instanceNumber() < kCopyInstanceBase;
}

void InputIoBlock::offerItem() {
    if (mayOffer()) ddeItem_.offer(services().dde, name());
}

void InputIoBlock::setDdeLink(bool on) {
    if (!on) {
        ddeItem_.switchTo(false, services().dde, name());
        return;
    }
    ddeItem_.setEnabled(true);
    offerItem();
}

std::string InputIoBlock::CopyDdeLink() {
    if (!mayOffer()) return {};
    return ddeItem_.copyLink(services().dde, name());
}

Status InputIoBlock::Load(BinaryReader& in, int fileVersion) {
    Status status = IoBlock::Load(in, fileVersion);
    offerItem();
    return status;
}

Code InputIoBlock::Start() {
    if (!isRunning()) offerItem();
    return IoBlock::Start();
}

void InputIoBlock::CopyTo(GraphObject& other) const {
    IoBlock::CopyTo(other);
    if (auto* target = dynamic_cast<InputIoBlock*>(&other); target != nullptr && target->kind() == kind()) {
        target->ddeItem_.setEnabled(ddeItem_.enabled());
    }
}

void InputIoBlock::UpdateDdeServer() {
    ddeItem_.update(services().dde);
}

void InputIoBlock::DdeTopicChanged() {
    offerItem();
}

}  // namespace kestrune
