#pragma once
// The hold file: the retained values of held tags, by task and tag name.
// The layout is described in docs/hold_file.md. Encoding and decoding are
// pure; the two file functions do the I/O. Decoding checks the whole file
// (magic, version, lengths, checksum, every entry) before it returns any
// entry, so a caller never applies part of a damaged file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "components/tagdb/tagdb_codes.h"
#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr std::uint16_t kHoldFileVersion1 = 1;
// Far above any real strategy (50,000 string arrays of 8 would be 50 MB);
// a larger file is refused before it is read into memory.
inline constexpr std::size_t kMaxHoldFileSize = 256u * 1024 * 1024;

struct HoldEntry {
    std::string task;
    std::string tag;
    std::uint16_t type = 0;
    std::uint16_t count = 0;
    std::vector<std::uint32_t> numbers;  // number tags: one 32-bit word per element
    std::vector<std::string> texts;      // string tags: one text (<= 127 chars) per element
};

std::vector<std::uint8_t> encodeHoldFile(const std::vector<HoldEntry>& entries);

// kOk with every entry, or kHoldFileCorrupt / kHoldFileVersion with the byte
// offset where the check failed in the context; `entries` is left empty then.
Status decodeHoldFile(std::span<const std::uint8_t> bytes, std::vector<HoldEntry>& entries);

// Replaces `path` safely (platform/safe_file.h), so that it holds either the
// old or the new contents, never a mix. On failure `path` is untouched and
// kHoldFileWrite comes back with the reason in the context.
Status writeHoldFile(const std::string& path, std::span<const std::uint8_t> bytes,
                     FileSystemCalls& calls = FileSystemCalls::system());

// kOk, kHoldFileMissing, or kHoldFileUnreadable (also for a file larger than
// kMaxHoldFileSize or not a regular file).
Status readHoldFile(const std::string& path, std::vector<std::uint8_t>& bytes);

}  // namespace kestrune
