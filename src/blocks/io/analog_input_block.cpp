#include "blocks/io/analog_input_block.h"

#include <algorithm>

#include "blocks/dde_service.h"
#include "blocks/io/io_record.h"
#include "blocks/io/opc_value.h"
#include "blocks/record_version.h"
#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"
#include "components/tagdb/db_param.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {

AnalogInputBlock::AnalogInputBlock(const NodeContext& context, const BlockServices& services)
    : InputIoBlock(context, kAnalogInputKind, services, kDdeTypeFloat),
      tagValue_(kTypeFloatArray, kAiChannels) {
    setPortLayout({}, std::vector<OutputPort>(kAiChannels, OutputPort{kTypeFloat, 0}));
    setTagShape(kTagFloatArray, kAiChannels);
}

void AnalogInputBlock::setFirstChannel(std::int64_t channel) {
    first_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(channel, 0, kMaxChannel));
    last_ = std::max(last_, first_);
}

void AnalogInputBlock::setLastChannel(std::int64_t channel) {
    last_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(channel, first_, kMaxChannel));
}

bool AnalogInputBlock::deviceHasChannels(const DeviceFeatures& features) const {
    return features.aiSingleEndedChannels > 0 || features.aiDifferentialChannels > 0;
}

Code AnalogInputBlock::missingChannelsCode() const {
    return static_cast<Code>(DriverError::NoAnalogInput);
}

void AnalogInputBlock::CopyTo(GraphObject& other) const {
    InputIoBlock::CopyTo(other);
    if (auto* target = dynamic_cast<AnalogInputBlock*>(&other)) {
        target->first_ = first_;
        target->last_ = last_;
        target->channels_ = channels_;
        target->scaling_ = scaling_;
    }
}

std::vector<std::string> AnalogInputBlock::outputCaptions() const {
    std::vector<std::string> captions;
    for (std::size_t k = 0; k < kAiChannels; ++k) captions.push_back("Output " + std::to_string(k));
    return captions;
}

// ---- run ----

void AnalogInputBlock::show(const std::array<float, kAiChannels>& values, std::size_t from, std::size_t to) {
    for (std::size_t k = from; k <= to; ++k) {
        outputValue(k)->setFloat(values[k]);
        tagValue_.setFloat(values[k], k);
    }
}

Code AnalogInputBlock::StartIo(const DeviceFeatures& features) {
    if (!source().usesOpc()) {
        AiConfig config;
        if (const Code code = driver()->aiGetConfig(deviceHandle(), config); code != kOk) {
            return failDriverStart(code);
        }
        const Code code =
            reader_.prepare(*driver(), deviceHandle(), features, config, first_, last_, channels_);
        if (code != kOk) return failDriverStart(code);
    }
    readings_.fill(0.0f);
    show(readings_);
    return kOk;
}

Code AnalogInputBlock::ScanIo() {
    std::array<float, kAiChannels> values{};
    if (source().usesOpc()) {
        if (opcItemHandle() == 0) return kOk;
        if (const Code code = checkOpcQuality(); code != kOk) return scanFailure(code);
        values[0] = scaling_.apply(analogFromVariant(opcValue()));
    } else {
        if (deviceHandle() == 0) return kOk;
        if (const Code code = reader_.read(*driver(), deviceHandle(), readings_); code != kOk) {
            return scanFailure(code);
        }
        values = readings_;
        for (std::size_t k = first_; k <= last_; ++k) values[k] = scaling_.apply(values[k]);
    }
    publishDde(values[0]);
    // Start showed every channel as 0 and only the item's (output 0) or the
    // range's channels ever change, so a scan writes just those.
    if (source().usesOpc()) {
        show(values, 0, 0);
    } else {
        show(values, first_, last_);
    }
    return publishValue();
}

// ---- record ----

Status AnalogInputBlock::loadChannels(BinaryReader& in) {
    const std::uint16_t first = in.u16();
    const std::uint16_t last = in.u16();
    const std::uint16_t count = in.u16();
    if (Status s = io_record::checked(in, "channel range"); !s) return s;
    constexpr std::size_t kEntryBytes = 6;
    if (std::size_t(count) * kEntryBytes > in.remaining()) {
        return io_record::cutShort(in, std::to_string(count) + " channel entries");
    }
    for (std::size_t i = 0; i < count; ++i) {
        AiChannelSetting s;
        s.expChannel = in.u16();
        s.range = in.u16();
        s.boardId = in.u16();
        // Entries beyond the last channel of the board are read past, not kept.
        if (first + i < kAiChannels) channels_[first + i] = s;
    }
    last_ = 0;
    setFirstChannel(first);
    setLastChannel(last);
    return {};
}

Status AnalogInputBlock::loadTrailer(BinaryReader& in, const RecordReader& record) {
    if (record.hasMore()) setDdeFlag(in.u16() == 1);
    if (record.hasMore()) setUpdateTimes(in.u16());
    if (record.hasMore()) scaling_.enabled = in.u8();
    for (float* field : {&scaling_.inputMax, &scaling_.inputMin, &scaling_.scaleMax, &scaling_.scaleMin}) {
        if (record.hasMore()) *field = in.f32();
    }
    return io_record::checked(in, "settings after the source");
}

Status AnalogInputBlock::LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) {
    if (Status s = loadChannels(in); !s) return s;
    IoSource src = source();
    if (RecordVersion::from(fileVersion).oldFormat()) {
        if (Status s = src.readOldFields(in); !s) return s;
    } else {
        src.readKind(in);
        if (Status s = src.readFields(in); !s) return s;
    }
    setSource(src);
    return loadTrailer(in, record);
}

Status AnalogInputBlock::SavePayload(BinaryWriter& out) const {
    out.u16(first_);
    out.u16(last_);
    out.u16(static_cast<std::uint16_t>(last_ - first_ + 1));
    for (std::size_t c = first_; c <= last_; ++c) {
        out.u16(channels_[c].expChannel);
        out.u16(channels_[c].range);
        out.u16(channels_[c].boardId);
    }
    source().writeKind(out);
    source().writeFields(out);
    out.u16(ddeLink() ? 1 : 0);
    out.u16(updateTimes());
    out.u8(scaling_.enabled);
    out.f32(scaling_.inputMax);
    out.f32(scaling_.inputMin);
    out.f32(scaling_.scaleMax);
    out.f32(scaling_.scaleMin);
    return {};
}

}  // namespace kestrune
