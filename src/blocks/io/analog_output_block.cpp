#include "blocks/io/analog_output_block.h"

#include <algorithm>
#include <limits>

#include "blocks/io/io_record.h"
#include "blocks/record_version.h"
#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {

AnalogOutputBlock::AnalogOutputBlock(const NodeContext& context, const BlockServices& services)
    : OutputIoBlock(context, kAnalogOutputKind, services, false) {
    setPortLayout({{0, 0, kMaskNumber, 0}}, {{kTypeFloat, 0}});
}

void AnalogOutputBlock::setChannel(std::int64_t channel) {
    channel_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(channel, 0, kMaxChannel));
}

Code AnalogOutputBlock::missingChannelsCode() const {
    return static_cast<Code>(DriverError::NoAnalogOutput);
}

void AnalogOutputBlock::CopyTo(GraphObject& other) const {
    OutputIoBlock::CopyTo(other);
    if (auto* target = dynamic_cast<AnalogOutputBlock*>(&other)) {
        target->channel_ = channel_;
        target->initialValue_ = initialValue_;
    }
}

// ---- run ----

Code AnalogOutputBlock::writeOutput(double value, bool starting) {
    Code code = kOk;
    if (source().usesOpc()) {
        opcValue() = static_cast<float>(value);
        code = opc()->itemWrite(opcItemHandle());
    } else {
        code = driver()->aoVoltageOut(deviceHandle(), {channel_, static_cast<float>(value)});
    }
    // The start's write is not checked: a channel that refuses it fails the
    // first scan that writes instead.
    return starting ? kOk : code;
}

void AnalogOutputBlock::showValue(double value) {
    outputValue(0)->setFloat(static_cast<float>(value));
}

// ---- record ----

Status AnalogOutputBlock::LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) {
    const RecordVersion version = RecordVersion::from(fileVersion);
    IoSource src = source();
    const std::uint16_t channel = in.u16();
    if (Status s = io_record::checked(in, "channel"); !s) return s;
    setChannel(channel);
    if (version.oldFormat()) {
        if (Status s = src.readOldFields(in); !s) return s;
        setInitialMode(InitialValueMode::None);
    } else {
        src.readKind(in);
        const std::uint8_t mode = in.u8();
        initialValue_ = in.f32();
        if (Status s = io_record::checked(in, "initial value"); !s) return s;
        setInitialMode(readInitialMode(mode));
        if (Status s = src.readFields(in); !s) return s;
    }
    setSource(src);
    return loadOutputTrailer(in, record);
}

Status AnalogOutputBlock::SavePayload(BinaryWriter& out) const {
    out.u16(channel_);
    source().writeKind(out);
    out.u8(static_cast<std::uint8_t>(initialMode()));
    out.f32(initialValue_);
    source().writeFields(out);
    saveOutputTrailer(out);
    return {};
}

// ---- settings ----

PropertySet AnalogOutputBlock::properties() {
    return propertyTable().bind(*this);
}

const PropertyTable<AnalogOutputBlock>& AnalogOutputBlock::propertyTable() {
    static const PropertyTable<AnalogOutputBlock> table = [] {
        PropertyTable<AnalogOutputBlock> t;
        addCommonProperties(t);
        t.addInt(
             "&Channel:", [](const AnalogOutputBlock& b) { return b.channel(); },
             [](AnalogOutputBlock& b, std::int64_t c) { b.setChannel(c); }, 0, kMaxChannel)
            .key("channel");
        addSourceProperties(t, "Connect to OPC server");
        addUpdateTimesProperty(t);
        addDdeProperties(t);
        addInitialModeProperty(t);
        constexpr double kLimit = std::numeric_limits<float>::max();
        t.addFloat(
             "Initial value: ", [](const AnalogOutputBlock& b) { return b.initialValue(); },
             [](AnalogOutputBlock& b, float v) { b.setInitialValue(v); }, -kLimit, kLimit)
            .key("initialValue")
            .enabledWhen(
                [](const AnalogOutputBlock& b) { return b.initialMode() == InitialValueMode::Value; });
        return t;
    }();
    return table;
}

}  // namespace kestrune
