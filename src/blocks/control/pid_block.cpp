#include "blocks/control/pid_block.h"

#include <array>

#include "engine/scan_task.h"
#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {
namespace {

constexpr std::array<ControlInput, 6> kInputs{{
    {"Feedback", kMaskNumber},
    {"Setpoint", kMaskNumber},
    {"P Parameter", kMaskNumber},
    {"I Parameter", kMaskNumber},
    {"D Parameter", kMaskNumber},
    {"Trigger for PID change", kMaskNumber},
}};

// A value the run changed goes back into the configured field.
void takeBack(double started, double now, float& field) {
    if (now != started) field = static_cast<float>(now);
}

}  // namespace

std::int32_t OwnerTaskPeriodMs(const NodeContext& context) {
    return context.task != nullptr ? context.task->timing().periodMs() : 0;
}

PidBlock::PidBlock(const NodeContext& context, TaskPeriodLookup taskPeriod)
    : ControlBlock(context, kPidKind, kInputs, kTypeFloat),
      taskPeriod_(taskPeriod ? std::move(taskPeriod) : TaskPeriodLookup(OwnerTaskPeriodMs)) {}

PidSettings PidBlock::settings() const {
    PidSettings s;
    s.p = p_;
    s.i = i_;
    s.d = d_;
    s.highClamp = highClamp_;
    s.lowClamp = lowClamp_;
    s.setpoint = setpoint_;
    s.form = form_;
    s.filter = filter_;
    s.rateClamp = rateClamp_;
    return s;
}

void PidBlock::setSettings(const PidSettings& s) {
    p_ = static_cast<float>(s.p);
    i_ = static_cast<float>(s.i);
    d_ = static_cast<float>(s.d);
    highClamp_ = static_cast<float>(s.highClamp);
    lowClamp_ = static_cast<float>(s.lowClamp);
    setpoint_ = static_cast<float>(s.setpoint);
    form_ = s.form;
    filter_ = static_cast<float>(s.filter);
    rateClamp_ = static_cast<float>(s.rateClamp);
}

void PidBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    if (auto* target = dynamic_cast<PidBlock*>(&other)) target->setSettings(settings());
}

Code PidBlock::Validate() {
    if (!isWired(kFeedback)) return refuseForBlock(kMsgInputUndefined);
    const bool parameterWired = isWired(kPInput) || isWired(kIInput) || isWired(kDInput);
    if (parameterWired && !isWired(kTrigger)) return refuseForBlock(kMsgTriggerInputRequired);
    return kOk;
}

Code PidBlock::OnStart() {
    const std::int32_t periodMs = taskPeriod_(context());
    controller_.setSettings(settings());
    started_ = controller_.settings();
    controller_.start(static_cast<double>(periodMs));
    outputValue(0)->setFloat(static_cast<float>(controller_.output()));
    return kOk;
}

Code PidBlock::Scan() {
    if (!isRunning()) return kOk;
    if (inputValue(kSetpoint) != nullptr) controller_.takeSetpoint(readNumber(kSetpoint));
    // Checked on every scan, not on an edge: a trigger held on lets the
    // parameter inputs retune the loop whenever they change.
    if (readDigital(kTrigger) != 0) {
        controller_.retune(readFloat(kPInput), readFloat(kIInput), readFloat(kDInput));
    }
    if (inputValue(kFeedback) != nullptr) controller_.update(readNumber(kFeedback));
    outputValue(0)->setFloat(static_cast<float>(controller_.output()));
    return publishValue();
}

void PidBlock::OnStop() {
    const PidSettings& now = controller_.settings();
    takeBack(started_.setpoint, now.setpoint, setpoint_);
    takeBack(started_.p, now.p, p_);
    takeBack(started_.i, now.i, i_);
    takeBack(started_.d, now.d, d_);
}

Status PidBlock::LoadPayload(BinaryReader& in, int, const RecordReader&) {
    p_ = in.f32();
    i_ = in.f32();
    d_ = in.f32();
    highClamp_ = in.f32();
    lowClamp_ = in.f32();
    setpoint_ = in.f32();
    in.skip(4);  // the block number, twice
    if (hasRoom(in, 1)) form_ = in.u8() == 1 ? PidForm::Velocity : PidForm::Position;
    if (hasRoom(in, 4)) filter_ = in.f32();
    if (hasRoom(in, 4)) rateClamp_ = in.f32();
    // A loaded loop starts from a clean history, not from whatever ran before.
    controller_.clearState();
    return {};
}

Status PidBlock::SavePayload(BinaryWriter& out) const {
    out.f32(p_);
    out.f32(i_);
    out.f32(d_);
    out.f32(highClamp_);
    out.f32(lowClamp_);
    out.f32(setpoint_);
    out.u16(instanceNumber());
    out.u16(instanceNumber());
    out.u8(static_cast<std::uint8_t>(form_));
    out.f32(filter_);
    out.f32(rateClamp_);
    return {};
}

const PropertyTable<PidBlock>& PidBlock::propertyTable() {
    static const PropertyTable<PidBlock> table = [] {
        PropertyTable<PidBlock> t;
        addCommonProperties(t);
        t.addChoice("Type:", &PidBlock::form_, {{0, "Position"}, {1, "Velocity"}})
            .key("form")
            .defaultValue(std::int64_t{0});
        t.addFloat("&Setpoint:", &PidBlock::setpoint_, -kFloatLimit, kFloatLimit)
            .key("setpoint")
            .defaultValue(0.0);
        t.addFloat("&P:", &PidBlock::p_, -kFloatLimit, kFloatLimit).key("p").defaultValue(1.0);
        t.addFloat("&I:", &PidBlock::i_, -kFloatLimit, kFloatLimit).key("i").defaultValue(0.0);
        t.addFloat("&D:", &PidBlock::d_, -kFloatLimit, kFloatLimit).key("d").defaultValue(0.0);
        // Shown as a hint, not enforced: the controller switches the filter
        // off for a constant outside [0, 1).
        t.addFloat("Filter constant [0<X<1]", &PidBlock::filter_, -kFloatLimit, kFloatLimit)
            .key("filter")
            .defaultValue(0.0);
        t.addFloat("&High clamp:", &PidBlock::highClamp_, -kFloatLimit, kFloatLimit)
            .key("highClamp")
            .defaultValue(5.0);
        t.addFloat("&Low clamp:", &PidBlock::lowClamp_, -kFloatLimit, kFloatLimit)
            .key("lowClamp")
            .defaultValue(-5.0);
        t.addFloat("&Rate clamp:", &PidBlock::rateClamp_, -kFloatLimit, kFloatLimit)
            .key("rateClamp")
            .defaultValue(600.0);
        addSourceProperty(t, "Feedback from:", kFeedback, "feedbackSource");
        addSourceProperty(t, "Setpoint from:", kSetpoint, "setpointSource");
        addSourceProperty(t, "P from:", kPInput, "pSource");
        addSourceProperty(t, "I from:", kIInput, "iSource");
        addSourceProperty(t, "D from:", kDInput, "dSource");
        addSourceProperty(t, "Trigger from:", kTrigger, "triggerSource");
        return t;
    }();
    return table;
}

}  // namespace kestrune
