#pragma once
// The file version a block's Load is given, decoded. The strategy loader
// passes either the major version (1 to 4) or the combined number
// (major * 100 + minor) * 100 + build, which is always 10000 or more. Most
// layouts depend on the major version only; the few that changed within
// version 4 need the combined number, and given only the major version they
// are read as this program writes them.

#include <cstdint>

namespace kestrune {

struct RecordVersion {
    static constexpr std::uint32_t kCurrentCombined = 42500;

    int major = 4;
    std::uint32_t combined = kCurrentCombined;

    static constexpr RecordVersion from(int fileVersion) {
        if (fileVersion >= 10000) return {fileVersion / 10000, static_cast<std::uint32_t>(fileVersion)};
        if (fileVersion >= 4) return {fileVersion, kCurrentCombined};
        return {fileVersion, static_cast<std::uint32_t>(fileVersion < 0 ? 0 : fileVersion * 10000)};
    }

    // Format version 3 and older: the I/O blocks' first layouts.
    constexpr bool oldFormat() const { return major <= 3; }
};

}  // namespace kestrune
