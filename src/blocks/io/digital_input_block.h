#pragma once
// The digital input block ("DI%d", record "BDIN", kind 13): reads one 8-bit
// port of a device, or an OPC item converted to a 32-bit integer, on every
// N-th scan, and splits it into bits: output 0 and tag element 0 carry the
// value, outputs and elements 1 to 16 channels 0 to 15 (see digital_port.h).
// The tag is a 17-element integer array. The port value can be offered as a
// DDE item ("%d").
//
// Record payload: port u16, one byte (255 on creation, kept but not used),
// source u16, the source fields, then, while the record has room, the DDE
// flag u16 and update times u16. Format 3 and older held two more u16 after
// the port and the two old device values instead of the source.

#include <cstdint>

#include "blocks/io/input_io_block.h"
#include "taskmodel/output_value.h"

namespace kestrune {

class DigitalInputBlock : public InputIoBlock {
  public:
    DigitalInputBlock(const NodeContext& context, const BlockServices& services);

    std::uint16_t port() const { return port_; }
    void setPort(std::int64_t port);
    // The port value as last read.
    std::int32_t value() const;

    void CopyTo(GraphObject& other) const override;
    std::vector<std::string> outputCaptions() const override;
    PropertySet properties() override;
    static const PropertyTable<DigitalInputBlock>& propertyTable();

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    const OutputValue* TagValue() const override { return &tagValue_; }

    bool deviceHasChannels(const DeviceFeatures& features) const override { return features.diChannels > 0; }
    Code missingChannelsCode() const override;
    Code StartIo(const DeviceFeatures& features) override;
    Code ScanIo() override;

  private:
    // The low byte of the port into `value`; the driver's code.
    Code readPort(std::int32_t& value);
    void show(std::int32_t value);

    std::uint16_t port_ = 0;
    std::uint8_t spare_ = 255;
    OutputValue tagValue_;
};

}  // namespace kestrune
