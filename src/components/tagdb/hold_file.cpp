#include "components/tagdb/hold_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "components/tagdb/crc32.h"
#include "components/tagdb/db_param.h"
#include "components/tagdb/tag_key.h"
#include "platform/binary_stream.h"

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

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// The rename itself is only durable once the directory is flushed; a
// failure here leaves a good file either way, so it is not reported.
void syncDirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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

Status writeHoldFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) return {kHoldFileWrite, "no hold file name"};
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return {kHoldFileWrite, errnoText(temp.c_str())};
    std::string failure;
    if (!writeAll(fd, bytes)) {
        failure = errnoText("write");
    } else if (::fsync(fd) != 0) {
        failure = errnoText("fsync");
    }
    if (::close(fd) != 0 && failure.empty()) failure = errnoText("close");
    if (failure.empty() && ::rename(temp.c_str(), path.c_str()) != 0) failure = errnoText("rename");
    if (!failure.empty()) {
        ::unlink(temp.c_str());
        return {kHoldFileWrite, temp + ": " + failure};
    }
    syncDirectoryOf(path);
    return kOk;
}

Status readHoldFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {errno == ENOENT ? kHoldFileMissing : kHoldFileUnreadable, errnoText(path.c_str())};
    }
    struct stat st {};
    Status result = kOk;
    if (::fstat(fd, &st) != 0) {
        result = {kHoldFileUnreadable, errnoText(path.c_str())};
    } else if (!S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > kMaxHoldFileSize) {
        result = {kHoldFileUnreadable, path + ": not a regular file of a plausible size"};
    } else {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result = {kHoldFileUnreadable, errnoText(path.c_str())};
                break;
            }
            if (n == 0) break;  // shrank while reading: what was read is checked as it stands
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (!result.ok()) bytes.clear();
    return result;
}

}  // namespace kestrune
