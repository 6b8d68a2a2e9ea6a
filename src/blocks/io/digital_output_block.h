#pragma once
// The digital output block ("DO%d", record "BDOT", kind 14): writes a whole
// 8-bit port (block output) or one bit of it, or an OPC item, with the value
// of its input or DDE link (see OutputIoBlock). Its 17 outputs show the
// value and its channels (see digital_port.h); its tag is the value.
//
// Device writes: block output with mask 255 and the value as the state; one
// bit with mask 2^bit and state 2^bit while the value is non-zero, else 0.
// An OPC item is asked for a 32-bit integer (block output) or a boolean (one
// bit) and written in whatever type it has.
//
// Record payload: port u16, initial value u16, bit u16, block output u32,
// source u16, initial value mode u8, the source fields, then, while the
// record has room, the DDE link u16, its three names and update times u16.
// Older layouts, by file version:
//   format 3 and older: port u16, two u16, mode byte, initial value byte and
//     the two old device values; the initial value mode stays "No initial
//     value";
//   4.00.000 to 4.00.002: a mode byte and an initial value byte in place of
//     initial value, bit and block output; 4.00.003 and 4.00.004 the same as
//     two u16.
// In those a mode of 255 (-1) means block output, and a mode from 0 to 15 is
// the bit to write.

#include <cstdint>
#include <string>

#include "blocks/io/output_io_block.h"

namespace kestrune {

class DigitalOutputBlock : public OutputIoBlock {
  public:
    DigitalOutputBlock(const NodeContext& context, const BlockServices& services);

    std::uint16_t port() const { return port_; }
    void setPort(std::int64_t port);
    std::uint16_t bit() const { return bit_; }
    // A single-bit block whose initial value is on follows its bit.
    void setBit(std::int64_t bit);
    bool blockOutput() const { return blockOutput_; }
    void setBlockOutput(bool on) { blockOutput_ = on; }
    std::uint16_t initialValue() const { return initialValue_; }
    void setInitialValue(std::uint16_t value) { initialValue_ = value; }
    // Any mode but "Initial value: " stores the initial value 0.
    void setInitialMode(InitialValueMode mode) override;

    // The dialog's initial value forms: with block output a hexadecimal text
    // ("%02X" for a device, "%04X" for an OPC item, of which the last 2 or 4
    // characters are taken); without it the "On" box (2^bit for a device, 1
    // for an item).
    std::string initialHexText() const;
    Status setInitialHexText(std::string_view text);
    bool initialOn() const { return initialValue_ != 0; }
    void setInitialOn(bool on);

    void CopyTo(GraphObject& other) const override;
    std::vector<std::string> outputCaptions() const override;
    PropertySet properties() override;
    static const PropertyTable<DigitalOutputBlock>& propertyTable();

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;

    bool deviceHasChannels(const DeviceFeatures& features) const override { return features.doChannels > 0; }
    Code missingChannelsCode() const override;
    VarType opcRequestType() const override { return blockOutput_ ? VarType::I4 : VarType::Bool; }
    double storedInitialValue() const override { return initialValue_; }
    Code writeOutput(double value, bool starting) override;
    void showValue(double value) override;

  private:
    // The older layouts' mode: block output or the bit.
    void takeOldMode(std::uint16_t mode);

    std::uint16_t port_ = 0;
    std::uint16_t initialValue_ = 0;
    std::uint16_t bit_ = 0;
    bool blockOutput_ = true;
};

}  // namespace kestrune
