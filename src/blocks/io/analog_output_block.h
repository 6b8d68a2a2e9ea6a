#pragma once
// The analog output block ("AO%d", record "BAOT", kind 12): writes one float
// to one analog output channel of a device or to an OPC item (see
// OutputIoBlock for where the value comes from and when it is written).
// Its output and its float tag carry the value.
//
// Record payload: channel u16, source u16, initial value mode u8, initial
// value f32, the source fields, then, while the record has room, the DDE
// link u16, its service, topic and item (each a 32-bit length and its
// characters) and update times u16. Format 3 and older held the channel and
// the two old device values only.

#include <cstdint>

#include "blocks/io/output_io_block.h"

namespace kestrune {

class AnalogOutputBlock : public OutputIoBlock {
  public:
    static constexpr std::uint16_t kMaxChannel = 31;

    AnalogOutputBlock(const NodeContext& context, const BlockServices& services);

    std::uint16_t channel() const { return channel_; }
    void setChannel(std::int64_t channel);
    float initialValue() const { return initialValue_; }
    void setInitialValue(float value) { initialValue_ = value; }

    void CopyTo(GraphObject& other) const override;
    PropertySet properties() override;
    static const PropertyTable<AnalogOutputBlock>& propertyTable();

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;

    bool deviceHasChannels(const DeviceFeatures& features) const override { return features.aoChannels > 0; }
    Code missingChannelsCode() const override;
    VarType opcRequestType() const override { return VarType::R4; }
    double storedInitialValue() const override { return initialValue_; }
    Code writeOutput(double value, bool starting) override;
    void showValue(double value) override;

  private:
    std::uint16_t channel_ = 0;
    float initialValue_ = 0.0f;
};

}  // namespace kestrune
