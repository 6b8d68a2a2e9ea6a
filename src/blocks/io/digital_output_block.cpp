#include "blocks/io/digital_output_block.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "blocks/io/digital_port.h"
#include "blocks/io/io_record.h"
#include "blocks/io/opc_value.h"
#include "blocks/record_version.h"
#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {
namespace {

constexpr std::uint32_t kFirstVersion4 = 40000;
constexpr std::uint32_t kLastByteModeVersion = 40002;
constexpr std::uint32_t kLastWordModeVersion = 40004;

}  // namespace

DigitalOutputBlock::DigitalOutputBlock(const NodeContext& context, const BlockServices& services)
    : OutputIoBlock(context, kDigitalOutputKind, services, true) {
    setPortLayout({{0, 0, kMaskNumber, 0}}, portOutputs());
}

void DigitalOutputBlock::setPort(std::int64_t port) {
    port_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(port, 0, kMaxPort));
}

void DigitalOutputBlock::setBit(std::int64_t bit) {
    bit_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(bit, 0, kPortChannels - 1));
    if (!blockOutput_ && initialOn()) setInitialOn(true);
}

void DigitalOutputBlock::setInitialMode(InitialValueMode mode) {
    OutputIoBlock::setInitialMode(mode);
    if (mode != InitialValueMode::Value) initialValue_ = 0;
}

std::string DigitalOutputBlock::initialHexText() const {
    char text[8];
    std::snprintf(text, sizeof text, source().usesOpc() ? "%04X" : "%02X",
                  static_cast<unsigned>(initialValue_));
    return text;
}

Status DigitalOutputBlock::setInitialHexText(std::string_view text) {
    // Only the hexadecimal form of a block writing the whole port counts.
    if (!blockOutput_) return {};
    const std::size_t digits = source().usesOpc() ? 4 : 2;
    const std::string_view taken = text.size() > digits ? text.substr(text.size() - digits) : text;
    unsigned value = 0;
    if (!taken.empty()) {
        const auto [end, error] = std::from_chars(taken.data(), taken.data() + taken.size(), value, 16);
        if (error != std::errc() || end != taken.data() + taken.size()) {
            return invalidSetting("Initial value", std::string(text));
        }
    }
    initialValue_ = initialMode() == InitialValueMode::Value ? static_cast<std::uint16_t>(value) : 0;
    return {};
}

void DigitalOutputBlock::setInitialOn(bool on) {
    if (blockOutput_) return;
    const std::uint16_t onValue = source().usesOpc() ? 1 : static_cast<std::uint16_t>(1u << bit_);
    initialValue_ = on && initialMode() == InitialValueMode::Value ? onValue : 0;
}

Code DigitalOutputBlock::missingChannelsCode() const {
    return static_cast<Code>(DriverError::NoDigitalOutput);
}

void DigitalOutputBlock::CopyTo(GraphObject& other) const {
    OutputIoBlock::CopyTo(other);
    if (auto* target = dynamic_cast<DigitalOutputBlock*>(&other)) {
        target->port_ = port_;
        target->initialValue_ = initialValue_;
        target->bit_ = bit_;
        target->blockOutput_ = blockOutput_;
    }
}

std::vector<std::string> DigitalOutputBlock::outputCaptions() const {
    return portOutputCaptions();
}

// ---- run ----

Code DigitalOutputBlock::writeOutput(double v, bool starting) {
    const auto value = static_cast<std::int32_t>(v);
    if (source().usesOpc()) {
        const VarType type = opcValue().empty() ? opcRequestType() : opcValue().type();
        opcValue() = integerAsVariant(type, value);
        const Code code = opc()->itemWrite(opcItemHandle());
        if (code != kOk && starting) {
            std::string text;
            opc()->getErrorMessage(code, text);
            reportStartFailure(text);
        }
        return code;
    }
    PT_DioWritePortByte p{port_, 0xFF, static_cast<std::uint16_t>(value)};
    if (!blockOutput_) {
        p.mask = static_cast<std::uint16_t>(1u << bit_);
        p.state = value != 0 ? p.mask : 0;
    }
    const Code code = driver()->dioWritePortByte(deviceHandle(), p);
    return code != kOk && starting ? failDriverStart(code) : code;
}

void DigitalOutputBlock::showValue(double value) {
    showPortValue(*this, static_cast<std::int32_t>(value));
}

// ---- record ----

void DigitalOutputBlock::takeOldMode(std::uint16_t mode) {
    blockOutput_ = mode >= kPortChannels;
    bit_ = blockOutput_ ? 0 : mode;
}

Status DigitalOutputBlock::LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) {
    const RecordVersion version = RecordVersion::from(fileVersion);
    IoSource src = source();
    const std::uint16_t port = in.u16();
    InitialValueMode mode = InitialValueMode::None;
    if (version.oldFormat()) {
        in.skip(4);  // two words the first layout kept after the port
        takeOldMode(in.u8());
        initialValue_ = in.u8();
        if (Status s = io_record::checked(in, "port"); !s) return s;
        if (Status s = src.readOldFields(in); !s) return s;
    } else {
        if (version.combined >= kFirstVersion4 && version.combined <= kLastByteModeVersion) {
            takeOldMode(in.u8());
            initialValue_ = in.u8();
        } else if (version.combined > kLastByteModeVersion && version.combined <= kLastWordModeVersion) {
            takeOldMode(in.u16());
            initialValue_ = in.u16();
        } else {
            initialValue_ = in.u16();
            bit_ = std::min<std::uint16_t>(in.u16(), kPortChannels - 1);
            blockOutput_ = in.u32() != 0;
        }
        src.readKind(in);
        mode = readInitialMode(in.u8());
        if (Status s = io_record::checked(in, "port"); !s) return s;
        if (Status s = src.readFields(in); !s) return s;
    }
    setPort(port);
    setSource(src);
    OutputIoBlock::setInitialMode(mode);
    return loadOutputTrailer(in, record);
}

Status DigitalOutputBlock::SavePayload(BinaryWriter& out) const {
    out.u16(port_);
    out.u16(initialValue_);
    out.u16(bit_);
    out.u32(blockOutput_ ? 1 : 0);
    source().writeKind(out);
    out.u8(static_cast<std::uint8_t>(initialMode()));
    source().writeFields(out);
    saveOutputTrailer(out);
    return {};
}

// ---- settings ----

PropertySet DigitalOutputBlock::properties() {
    return propertyTable().bind(*this);
}

const PropertyTable<DigitalOutputBlock>& DigitalOutputBlock::propertyTable() {
    using B = DigitalOutputBlock;
    static const PropertyTable<B> table = [] {
        PropertyTable<B> t;
        addCommonProperties(t);
        t.addInt(
             "&Port:", [](const B& b) { return b.port(); }, [](B& b, std::int64_t p) { b.setPort(p); }, 0,
             kMaxPort)
            .key("port");
        t.addBool(
             "&Enable block output", [](const B& b) { return b.blockOutput(); },
             [](B& b, bool on) { b.setBlockOutput(on); })
            .key("blockOutput");
        t.addInt(
             "Channel (Bi&t):", [](const B& b) { return b.bit(); }, [](B& b, std::int64_t n) { b.setBit(n); },
             0, kPortChannels - 1)
            .key("bit")
            .enabledWhen([](const B& b) { return !b.blockOutput(); });
        addSourceProperties(t, "Connect to &OPC server");
        addUpdateTimesProperty(t);
        addDdeProperties(t);
        addInitialModeProperty(t);
        const auto valueMode = [](const B& b) { return b.initialMode() == InitialValueMode::Value; };
        t.addString(
             "Initial value: ", [](const B& b) { return b.initialHexText(); },
             [](B& b, const std::string& text) { return b.setInitialHexText(text); }, 8)
            .key("initialValue")
            .help("Hexadecimal: the last 2 digits for a device, 4 for an OPC item.")
            .enabledWhen([valueMode](const B& b) { return b.blockOutput() && valueMode(b); });
        t.addBool(
             "On", [](const B& b) { return b.initialOn(); }, [](B& b, bool on) { b.setInitialOn(on); })
            .key("initialOn")
            .enabledWhen([valueMode](const B& b) { return !b.blockOutput() && valueMode(b); });
        return t;
    }();
    return table;
}

}  // namespace kestrune
