#include "blocks/control/average_block.h"

#include <array>

#include "taskmodel/block_catalogue.h"

namespace kestrune {
namespace {

constexpr std::array<ControlInput, 2> kInputs{{{"Input", kMaskNumber}, {"Reset", kMaskNumber}}};

AverageMode modeFrom(std::uint16_t stored) {
    return stored == static_cast<std::uint16_t>(AverageMode::Whole) ? AverageMode::Whole
                                                                    : AverageMode::Moving;
}

}  // namespace

AverageBlock::AverageBlock(const NodeContext& context)
    : ControlBlock(context, kAverageKind, kInputs, kTypeFloat) {}

void AverageBlock::setSettings(const AverageSettings& settings) {
    windowSize_ = settings.windowSize;
    mode_ = settings.mode;
}

void AverageBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    if (auto* target = dynamic_cast<AverageBlock*>(&other)) target->setSettings(settings());
}

Code AverageBlock::OnStart() {
    average_.setSettings(settings());
    if (const Code code = average_.start(); code != kOk) return code;
    outputValue(0)->setFloat(static_cast<float>(average_.output()));
    return kOk;
}

Code AverageBlock::Scan() {
    if (!isRunning()) return kOk;
    if (isOn(kReset)) average_.reset();
    if (const OutputValue* source = inputValue(kInput)) {
        // Numbers only: a text source would otherwise be parsed into the average.
        const float sample = source->holdsText() ? 0.0f : source->toFloat();
        average_.add(sample);
    }
    outputValue(0)->setFloat(static_cast<float>(average_.output()));
    return publishValue();
}

Status AverageBlock::LoadPayload(BinaryReader& in, int, const RecordReader&) {
    windowSize_ = in.u16();
    if (hasRoom(in, 2)) mode_ = modeFrom(in.u16());
    return {};
}

Status AverageBlock::SavePayload(BinaryWriter& out) const {
    out.u16(windowSize_);
    out.u16(static_cast<std::uint16_t>(mode_));
    return {};
}

const PropertyTable<AverageBlock>& AverageBlock::propertyTable() {
    static const PropertyTable<AverageBlock> table = [] {
        PropertyTable<AverageBlock> t;
        addCommonProperties(t);
        t.addChoice("Mode:", &AverageBlock::mode_, {{0, "Moving average"}, {1, "Whole average"}})
            .key("mode")
            .defaultValue(std::int64_t{0});
        // A window of 0 would average nothing; the dialog asks for at least 1.
        t.addInt("Number of points to be averaged:", &AverageBlock::windowSize_, 1, kMaxWindow)
            .key("windowSize")
            .defaultValue(std::int64_t{10})
            .enabledWhen([](const AverageBlock& b) { return b.mode_ == AverageMode::Moving; });
        addSourceProperty(t, "Input from:", kInput, "inputSource");
        addSourceProperty(t, "Reset from:", kReset, "resetSource");
        return t;
    }();
    return table;
}

}  // namespace kestrune
