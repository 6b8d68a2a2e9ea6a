#include "blocks/control/ramp_block.h"

#include <array>

#include "taskmodel/block_catalogue.h"

namespace kestrune {
namespace {

constexpr std::array<ControlInput, 2> kInputs{{{"Reset", kMaskScalar}, {"Hold", kMaskScalar}}};

}  // namespace

RampBlock::RampBlock(const NodeContext& context) : ControlBlock(context, kRampKind, kInputs, kTypeFloat) {}

RampSettings RampBlock::settings() const {
    return {start_, stop_, step_, autoReset_ != 0};
}

void RampBlock::setSettings(const RampSettings& settings) {
    start_ = static_cast<float>(settings.start);
    stop_ = static_cast<float>(settings.stop);
    step_ = static_cast<float>(settings.step);
    autoReset_ = settings.autoReset ? 1 : 0;
}

void RampBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    if (auto* target = dynamic_cast<RampBlock*>(&other)) target->setSettings(settings());
}

Code RampBlock::OnStart() {
    ramp_.setSettings(settings());
    ramp_.start();
    outputValue(0)->setFloat(static_cast<float>(ramp_.value()));
    return kOk;
}

Code RampBlock::Scan() {
    if (!isRunning()) return kOk;
    if (!ramp_.scan(isOn(kReset), isOn(kHold))) return kOk;
    outputValue(0)->setFloat(static_cast<float>(ramp_.value()));
    return publishValue();
}

Status RampBlock::LoadPayload(BinaryReader& in, int, const RecordReader&) {
    start_ = in.f32();
    stop_ = in.f32();
    step_ = in.f32();
    autoReset_ = in.u8() != 0 ? 1 : 0;
    return {};
}

Status RampBlock::SavePayload(BinaryWriter& out) const {
    out.f32(start_);
    out.f32(stop_);
    out.f32(step_);
    out.u8(autoReset_);
    return {};
}

const PropertyTable<RampBlock>& RampBlock::propertyTable() {
    static const PropertyTable<RampBlock> table = [] {
        PropertyTable<RampBlock> t;
        addCommonProperties(t);
        t.addFloat("Ramp &start value:", &RampBlock::start_, -kFloatLimit, kFloatLimit)
            .key("start")
            .defaultValue(0.0);
        t.addFloat("Ramp s&top value:", &RampBlock::stop_, -kFloatLimit, kFloatLimit)
            .key("stop")
            .defaultValue(5.0);
        // Only the size counts (the direction follows from start and stop);
        // a step of 0 leaves the ramp standing at its start value.
        t.addFloat("Step &increment/decrement:", &RampBlock::step_, -kFloatLimit, kFloatLimit)
            .key("step")
            .defaultValue(static_cast<double>(0.1f));
        t.addBool("&Automatically reset to start value upon reaching stop value", &RampBlock::autoReset_)
            .key("autoReset")
            .defaultValue(true);
        addSourceProperty(t, "Reset from:", kReset, "resetSource");
        addSourceProperty(t, "Hold from:", kHold, "holdSource");
        return t;
    }();
    return table;
}

}  // namespace kestrune
