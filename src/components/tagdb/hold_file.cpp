#include "components/tagdb/hold_file.h"

#include <algorithm>
#include <cerrno>

#include "components/tagdb/crc32.h"
#include "components/tagdb/db_param.h"
#include "components/tagdb/tag_key.h"
#include "platform/binary_stream.h"
#include "platform/safe_file.h"

namespace kestrune {

namespace {

constexpr FourCC kMagic = fourcc("KHLD");
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kTrailerSize = 4;
// The smallest entry: two one-character names, type, count and one empty text.
constexpr std::size_t kMinEntrySize = 1 + 1 + 1 + 1 + 2 + 2 + 1;

Status corrupt(std::size_t offset, const char* what) {
    return {kHoldFileCorrupt, "byte " + std::to_string(offset) + ": " + what};
}

void writeShortText(BinaryWriter& w, std::string_view text) {
    const std::size_t n = std::min<std::size_t>(text.size(), kTagMaxTextLength);
    w.u8(static_cast<std::uint8_t>(n));
    w.bytes(text.data(), n);
}

bool readName(BinaryReader& r, std::string& out) {
    const std::size_t n = r.u8();
    out.resize(n);
    if (!r.bytes(out.data(), n)) return false;
    char normal[kMaxTagNameLength];
    return normaliseTagName(out, normal) == n && std::string_view(normal, n) == out;
}

bool readText(BinaryReader& r, std::string& out) {
    const std::size_t n = r.u8();
    if (n > kTagMaxTextLength) return false;
    out.resize(n);
    return r.bytes(out.data(), n) && out.find('\0') == std::string::npos;
}

// One entry; false (with the reader where it stopped) when it does not hold together.
bool readEntry(BinaryReader& r, HoldEntry& e) {
    if (!readName(r, e.task) || !readName(r, e.tag)) return false;
    e.type = r.u16();
    e.count = r.u16();
    if (r.failed() || !isValidTagType(e.type) || e.count == 0) return false;
    if (tagBaseType(e.type) == kTagString) {
        e.texts.resize(e.count);
        for (auto& t : e.texts) {
            if (!readText(r, t)) return false;
        }
        return true;
    }
    if (r.remaining() < std::size_t{e.count} * 4) return false;
    e.numbers.resize(e.count);
    for (auto& v : e.numbers) v = r.u32();
    return !r.failed();
}

}  // namespace

std::vector<std::uint8_t> encodeHoldFile(const std::vector<HoldEntry>& entries) {
    BinaryWriter w;
    w.tag(kMagic);
    w.u16(kHoldFileVersion1);
    w.u16(0);
    w.u32(static_cast<std::uint32_t>(entries.size()));
    const std::size_t bodyLength = w.beginLength32();
    for (const HoldEntry& e : entries) {
        writeShortText(w, e.task);
        writeShortText(w, e.tag);
        w.u16(e.type);
        w.u16(e.count);
        for (const std::uint32_t v : e.numbers) w.u32(v);
        for (const std::string& t : e.texts) writeShortText(w, t);
    }
    w.endLength32(bodyLength);
    w.u32(crc32(w.data()));
    return w.take();
}

Status decodeHoldFile(std::span<const std::uint8_t> bytes, std::vector<HoldEntry>& entries) {
    entries.clear();
    if (bytes.size() < kHeaderSize + kTrailerSize) return corrupt(bytes.size(), "shorter than a hold file");
    BinaryReader header(bytes.first(kHeaderSize));
    if (header.tag() != kMagic) return corrupt(0, "not a hold file");
    const std::uint16_t version = header.u16();
    if (version > kHoldFileVersion1) {
        return {kHoldFileVersion,
                "byte 4: version " + std::to_string(version) + " is newer than this program"};
    }
    if (version == 0) return corrupt(4, "version 0");
    header.u16();
    const std::uint32_t count = header.u32();
    const std::uint32_t bodyLength = header.u32();
    if (bodyLength != bytes.size() - kHeaderSize - kTrailerSize) {
        return corrupt(12, "length does not match the file size");
    }
    const std::size_t crcAt = bytes.size() - kTrailerSize;
    BinaryReader trailer(bytes.subspan(crcAt));
    if (trailer.u32() != crc32(bytes.first(crcAt))) return corrupt(crcAt, "checksum mismatch");
    if (count > bodyLength / kMinEntrySize) return corrupt(8, "more entries than the file can hold");

    BinaryReader body(bytes.subspan(kHeaderSize, bodyLength));
    std::vector<HoldEntry> parsed;
    for (std::uint32_t i = 0; i < count; ++i) {
        HoldEntry& e = parsed.emplace_back();
        if (!readEntry(body, e)) return corrupt(kHeaderSize + body.position(), "bad entry");
    }
    if (!body.atEnd()) return corrupt(kHeaderSize + body.position(), "bytes after the last entry");
    entries = std::move(parsed);
    return kOk;
}

Status writeHoldFile(const std::string& path, std::span<const std::uint8_t> bytes, FileSystemCalls& calls) {
    if (path.empty()) return {kHoldFileWrite, "no hold file name"};
    Status s = replaceFileSafely(path, bytes, calls);
    return s.ok() ? Status{} : Status{kHoldFileWrite, std::move(s.context)};
}

Status readHoldFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    Status s = readWholeFile(path, bytes, kMaxHoldFileSize);
    if (s.ok()) return s;
    const int error = errno;
    return {error == ENOENT ? kHoldFileMissing : kHoldFileUnreadable, std::move(s.context)};
}

}  // namespace kestrune
