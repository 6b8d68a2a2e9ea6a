#include "blocks/control/on_off_block.h"

#include <array>

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {
namespace {

constexpr std::array<ControlInput, 2> kInputs{{{"Input", kMaskNumber}, {"Setpoint", kMaskNumber}}};

}  // namespace

OnOffBlock::OnOffBlock(const NodeContext& context)
    : ControlBlock(context, kOnOffKind, kInputs, kTypeInteger) {}

OnOffSettings OnOffBlock::settings() const {
    return {reverse_ != 0, setpoint_, deltaHigh_, deltaLow_};
}

void OnOffBlock::setSettings(const OnOffSettings& settings) {
    reverse_ = settings.reverse ? 1 : 0;
    setpoint_ = static_cast<float>(settings.setpoint);
    deltaHigh_ = static_cast<float>(settings.deltaHigh);
    deltaLow_ = static_cast<float>(settings.deltaLow);
}

void OnOffBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    if (auto* target = dynamic_cast<OnOffBlock*>(&other)) target->setSettings(settings());
}

Code OnOffBlock::Validate() {
    return isWired(kInput) ? kOk : refuseUnconfigured();
}

Code OnOffBlock::OnStart() {
    if (inputValue(kInput) == nullptr) {
        const std::string task = taskName();
        return refuse(kMsgUnconfiguredBlock, {task, name()});
    }
    controller_.setSettings(settings());
    startSetpoint_ = controller_.settings().setpoint;
    outputValue(0)->setInteger(controller_.state());
    return kOk;
}

Code OnOffBlock::Scan() {
    if (!isRunning()) return kOk;
    if (inputValue(kSetpoint) != nullptr) controller_.takeSetpoint(readNumber(kSetpoint));
    if (inputValue(kInput) != nullptr) controller_.update(readNumber(kInput));
    outputValue(0)->setInteger(controller_.state());
    return publishValue();
}

void OnOffBlock::OnStop() {
    // The scan thread has let go of the controller: a setpoint the "Setpoint"
    // input brought during the run becomes the configured one (a setpoint the
    // dialog changed meanwhile stays when the run did not change it).
    const double sp = controller_.settings().setpoint;
    if (sp != startSetpoint_) setpoint_ = static_cast<float>(sp);
}

Status OnOffBlock::LoadPayload(BinaryReader& in, int, const RecordReader&) {
    reverse_ = in.u8() != 0 ? 1 : 0;
    setpoint_ = in.f32();
    deltaHigh_ = in.f32();
    deltaLow_ = in.f32();
    return {};
}

Status OnOffBlock::SavePayload(BinaryWriter& out) const {
    out.u8(reverse_);
    out.f32(setpoint_);
    out.f32(deltaHigh_);
    out.f32(deltaLow_);
    return {};
}

const PropertyTable<OnOffBlock>& OnOffBlock::propertyTable() {
    static const PropertyTable<OnOffBlock> table = [] {
        PropertyTable<OnOffBlock> t;
        addCommonProperties(t);
        t.addFloat("Delta &High:", &OnOffBlock::deltaHigh_, -kFloatLimit, kFloatLimit)
            .key("deltaHigh")
            .defaultValue(2.5);
        t.addFloat("Delta &Low:", &OnOffBlock::deltaLow_, -kFloatLimit, kFloatLimit)
            .key("deltaLow")
            .defaultValue(2.5);
        t.addFloat("&Setpoint:", &OnOffBlock::setpoint_, -kFloatLimit, kFloatLimit)
            .key("setpoint")
            .defaultValue(0.0)
            .enabledWhen([](const OnOffBlock& b) { return !b.isWired(kSetpoint); });
        addSourceProperty(t, "Dynamic setpoint from:", kSetpoint, "setpointSource");
        t.addChoice("Output:", &OnOffBlock::reverse_,
                    {{0, "Over high limit = &1, under low limit = 0."},
                     {1, "Over high limit = &0, under low limit = 1."}})
            .key("reverse")
            .defaultValue(std::int64_t{0});
        addSourceProperty(t, "Control input from:", kInput, "inputSource");
        return t;
    }();
    return table;
}

}  // namespace kestrune
