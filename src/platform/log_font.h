#pragma once
// A font as strategy files describe it: the 60-byte logical font record
// (five 32-bit values, eight bytes of flags and a 32-byte face name). Items
// store it either bare or as a "font block": a 16-bit length followed by the
// record. Files of version 3 and older hold the narrower form in which the
// five leading values are 16 bit (50 bytes in all).
//
// The face name is kept as its 32 raw bytes so that a record read and written
// back is byte-for-byte the same, whatever follows the terminator.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

struct LogFont {
    static constexpr std::size_t kFaceSize = 32;
    static constexpr std::size_t kRecordSize = 60;
    static constexpr std::size_t kOldRecordSize = 50;
    static constexpr std::int32_t kWeightNormal = 400;
    static constexpr std::int32_t kWeightBold = 700;

    // Negative: character height; positive: cell height; 0: the default font.
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, kFaceSize> faceName{};

    // The face up to its terminator (all 32 bytes when there is none).
    std::string face() const;
    // Cut to 31 characters; the rest of the field is zeroed.
    void setFace(std::string_view face);
    // Height 0 asks for the device's default font.
    bool isDefault() const { return height == 0; }

    // The bare 60-byte record.
    void write(BinaryWriter& out) const;
    static LogFont read(BinaryReader& in);
    // The bare 50-byte record of version 3 files; the 16-bit values are widened
    // with their sign (heights are usually negative).
    static LogFont readOld(BinaryReader& in);

    // The font block: 16-bit length 60, then the record.
    void writeBlock(BinaryWriter& out) const;
    // Reads a font block in the new (60) or old (50) form. The body always has
    // the size of its form; a length word larger than that is skipped past so
    // that longer blocks of later writers load. A block cut short by the end of
    // the data leaves `out` unchanged and returns 32855 (invalid file format).
    static Status readBlock(BinaryReader& in, bool oldForm, LogFont& out);

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

}  // namespace kestrune
