#pragma once
// The analog input block ("AI%d", record "BAIN", kind 11): reads the channels
// first..last of a device, or one OPC item, on every N-th scan, optionally
// scales them linearly, and publishes them on 32 float outputs ("Output 0"
// to "Output 31", output k carrying channel k, the item on output 0) and as
// one 32-element float-array tag. Channel 0 can be offered as a DDE item
// ("%f").
//
// A device read that fails hands on the driver's code (low 12 bits) and
// leaves outputs and tag as they were; channels outside the range stay 0.
// An OPC item of bad quality is reported (run error 15) and its value used.
//
// Record payload: first channel u16, last channel u16, n = last - first + 1
// u16, n entries of expansion channel, range index and board ID (u16 each)
// for channels first..last, source u16 and the source fields (format 3 and
// older: the two old device values), then, each only while the record has
// room: DDE flag u16, update times u16, scaling u8, m1, n1, m2, n2 (f32).

#include <array>
#include <cstdint>

#include "blocks/io/ai_channel_reader.h"
#include "blocks/io/input_io_block.h"
#include "blocks/io/linear_scaling.h"
#include "taskmodel/output_value.h"

namespace kestrune {

class AnalogInputBlock : public InputIoBlock {
  public:
    static constexpr std::uint16_t kMaxChannel = kAiChannels - 1;

    AnalogInputBlock(const NodeContext& context, const BlockServices& services);

    std::uint16_t firstChannel() const { return first_; }
    std::uint16_t lastChannel() const { return last_; }
    // The last channel follows a first moved above it; a last set below the
    // first becomes the first.
    void setFirstChannel(std::int64_t channel);
    void setLastChannel(std::int64_t channel);
    const AiChannelSetting& channelSetting(std::size_t channel) const { return channels_.at(channel); }
    void setChannelSetting(std::size_t channel, const AiChannelSetting& setting) {
        channels_.at(channel) = setting;
    }
    const LinearScaling& scaling() const { return scaling_; }
    void setScaling(const LinearScaling& scaling) { scaling_ = scaling; }

    // The gain codes and the read chosen at the last run start.
    const AiChannelReader& reader() const { return reader_; }

    void CopyTo(GraphObject& other) const override;
    std::vector<std::string> outputCaptions() const override;
    PropertySet properties() override;
    static const PropertyTable<AnalogInputBlock>& propertyTable();

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    const OutputValue* TagValue() const override { return &tagValue_; }

    bool deviceHasChannels(const DeviceFeatures& features) const override;
    Code missingChannelsCode() const override;
    Code StartIo(const DeviceFeatures& features) override;
    Code ScanIo() override;

  private:
    Status loadChannels(BinaryReader& in);
    Status loadTrailer(BinaryReader& in, const RecordReader& record);
    // The outputs and the tag's value of channels from..to (inclusive) from `values`.
    void show(const std::array<float, kAiChannels>& values, std::size_t from = 0,
              std::size_t to = kAiChannels - 1);

    std::uint16_t first_ = 0;
    std::uint16_t last_ = 0;
    AiChannelSettings channels_{};
    LinearScaling scaling_;
    AiChannelReader reader_;
    std::array<float, kAiChannels> readings_{};  // the driver's buffer
    OutputValue tagValue_;
};

}  // namespace kestrune
