#include "platform/log_font.h"

#include <algorithm>
#include <cstring>

namespace kestrune {
namespace {

constexpr Code kInvalidFileFormat = 32855;

// The forty bytes shared by both forms: the flag bytes and the face.
void readTail(BinaryReader& in, LogFont& f) {
    f.italic = in.u8();
    f.underline = in.u8();
    f.strikeOut = in.u8();
    f.charSet = in.u8();
    f.outPrecision = in.u8();
    f.clipPrecision = in.u8();
    f.quality = in.u8();
    f.pitchAndFamily = in.u8();
    in.bytes(f.faceName.data(), f.faceName.size());
}

}  // namespace

std::string LogFont::face() const {
    const auto* end = std::find(faceName.begin(), faceName.end(), '\0');
    return std::string(faceName.begin(), end);
}

void LogFont::setFace(std::string_view face) {
    faceName.fill('\0');
    const std::size_t n = std::min(face.size(), kFaceSize - 1);
    std::memcpy(faceName.data(), face.data(), n);
}

void LogFont::write(BinaryWriter& out) const {
    out.i32(height);
    out.i32(width);
    out.i32(escapement);
    out.i32(orientation);
    out.i32(weight);
    out.u8(italic);
    out.u8(underline);
    out.u8(strikeOut);
    out.u8(charSet);
    out.u8(outPrecision);
    out.u8(clipPrecision);
    out.u8(quality);
    out.u8(pitchAndFamily);
    out.bytes(faceName.data(), faceName.size());
}

LogFont LogFont::read(BinaryReader& in) {
    LogFont f;
    f.height = in.i32();
    f.width = in.i32();
    f.escapement = in.i32();
    f.orientation = in.i32();
    f.weight = in.i32();
    readTail(in, f);
    return f;
}

LogFont LogFont::readOld(BinaryReader& in) {
    LogFont f;
    f.height = in.i16();
    f.width = in.i16();
    f.escapement = in.i16();
    f.orientation = in.i16();
    f.weight = in.i16();
    readTail(in, f);
    return f;
}

void LogFont::writeBlock(BinaryWriter& out) const {
    out.u16(static_cast<std::uint16_t>(kRecordSize));
    write(out);
}

Status LogFont::readBlock(BinaryReader& in, bool oldForm, LogFont& out) {
    const std::size_t start = in.position();
    const std::size_t length = in.u16();
    const std::size_t body = oldForm ? kOldRecordSize : kRecordSize;
    if (in.failed() || in.remaining() < body) {
        return Status(kInvalidFileFormat, "font record at byte " + std::to_string(start));
    }
    const LogFont f = oldForm ? readOld(in) : read(in);
    if (length > body && !in.skip(length - body)) {
        return Status(kInvalidFileFormat, "font record at byte " + std::to_string(start));
    }
    out = f;
    return {};
}

}  // namespace kestrune
