#pragma once
// Where an I/O block's channel lives: on a device of the device driver
// (device number and kind byte; number -1 for none) or behind an OPC item
// (the 321-byte item record). The settings and their record fields; the run
// time side is IoBlock's.
//
// Record fields: the source word (0 device, 1 OPC item), and apart from it,
// where each kind's layout puts them, the source fields: for an OPC item one
// byte and the record's five texts (each a 32-bit length and its bytes,
// without terminator), for a device the device number (32 bit) and the kind
// byte. Format version 3 and older kept two 32-bit values instead.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "components/opc/opc_item_record.h"
#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

enum class IoSourceKind : std::uint16_t { Device = 0, Opc = 1 };

struct IoSource {
    static constexpr std::int32_t kNoDevice = -1;

    IoSourceKind kind = IoSourceKind::Device;
    std::int32_t deviceNumber = kNoDevice;
    std::uint8_t deviceKind = 0;
    OpcItemRecord opcItem;

    bool usesOpc() const { return kind == IoSourceKind::Opc; }
    // What the check before a run asks: a device, or an item record naming
    // its server and its item (texts 2 and 3).
    bool runnable() const;
    // What the dialogs' OK asks: a device, or an item text (text 5) to show.
    bool selected() const;

    // The text form of the device settings used by the settings table and
    // the strategy tool: "number:kind" ("0:0"), "" for no device.
    std::string deviceText() const;
    // Takes "number" or "number:kind" (kind 0 when left out); "" or "-1"
    // clears the device. False, nothing changed, for anything else.
    bool setDeviceText(std::string_view text);

    // ---- record ----
    // The source word: 1 is an OPC item, anything else a device.
    void readKind(BinaryReader& in);
    void writeKind(BinaryWriter& out) const;
    // The fields of the current kind.
    Status readFields(BinaryReader& in);
    void writeFields(BinaryWriter& out) const;
    // Format 3 and older: two 32-bit values. When the second is -1 the first
    // is the device number and the kind 0; otherwise the second is the device
    // number and the kind 1. The source is a device.
    Status readOldFields(BinaryReader& in);

    friend bool operator==(const IoSource&, const IoSource&) = default;
};

}  // namespace kestrune
