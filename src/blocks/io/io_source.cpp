#include "blocks/io/io_source.h"

#include <charconv>

#include "blocks/io/io_record.h"

namespace kestrune {
namespace {

std::optional<std::int64_t> parseWhole(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace

bool IoSource::runnable() const {
    if (usesOpc()) return !opcItem.text(2).empty() && !opcItem.text(3).empty();
    return deviceNumber != kNoDevice;
}

bool IoSource::selected() const {
    return usesOpc() ? !opcItem.text(5).empty() : deviceNumber != kNoDevice;
}

std::string IoSource::deviceText() const {
    if (deviceNumber == kNoDevice) return {};
    return std::to_string(deviceNumber) + ":" + std::to_string(deviceKind);
}

bool IoSource::setDeviceText(std::string_view text) {
    if (text.empty() || text == "-1") {
        deviceNumber = kNoDevice;
        deviceKind = 0;
        return true;
    }
    const std::size_t colon = text.find(':');
    const auto number = parseWhole(text.substr(0, colon));
    std::optional<std::int64_t> kindByte = std::int64_t{0};
    if (colon != std::string_view::npos) kindByte = parseWhole(text.substr(colon + 1));
    if (!number || !kindByte || *number < 0 || *number > 0xFFFF || *kindByte < 0 || *kindByte > 0xFF) {
        return false;
    }
    deviceNumber = static_cast<std::int32_t>(*number);
    deviceKind = static_cast<std::uint8_t>(*kindByte);
    return true;
}

void IoSource::readKind(BinaryReader& in) {
    kind = in.u16() == 1 ? IoSourceKind::Opc : IoSourceKind::Device;
}

void IoSource::writeKind(BinaryWriter& out) const {
    out.u16(static_cast<std::uint16_t>(kind));
}

Status IoSource::readFields(BinaryReader& in) {
    if (!usesOpc()) {
        deviceNumber = in.i32();
        deviceKind = in.u8();
        return io_record::checked(in, "device");
    }
    OpcItemRecord record;
    record.setFlag(in.u8());
    if (Status s = io_record::checked(in, "OPC item record"); !s) return s;
    for (int i = 1; i <= OpcItemRecord::kTextCount; ++i) {
        std::string text;
        const std::string what = "OPC item text " + std::to_string(i);
        if (Status s = io_record::readText(in, OpcItemRecord::kTextSize - 1, what, text); !s) return s;
        record.setText(i, text);
    }
    opcItem = record;
    return {};
}

void IoSource::writeFields(BinaryWriter& out) const {
    if (!usesOpc()) {
        out.i32(deviceNumber);
        out.u8(deviceKind);
        return;
    }
    out.u8(opcItem.flag());
    for (int i = 1; i <= OpcItemRecord::kTextCount; ++i) io_record::writeText(out, opcItem.text(i));
}

Status IoSource::readOldFields(BinaryReader& in) {
    const std::int32_t first = in.i32();
    const std::int32_t second = in.i32();
    if (Status s = io_record::checked(in, "device"); !s) return s;
    kind = IoSourceKind::Device;
    if (second == -1) {
        deviceNumber = first;
        deviceKind = 0;
    } else {
        deviceNumber = second;
        deviceKind = 1;
    }
    return {};
}

}  // namespace kestrune
