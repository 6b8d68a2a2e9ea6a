#pragma once
// The version of a strategy file: major, minor and build, as read from the
// two words after the signature. Older files stored them differently, so the
// words are decoded by their range:
//   word <= 3     an old file: major = word, minor = the build word, build 0
//   word == 4     major 4, minor 0, build = the build word
//   word >= 400   major = word / 100, minor = word % 100, build = the build word
//   5 .. 399      no version at all (the file is not a strategy)
// Records depend on the major version ("file version") and, for the fields
// added within version 4, on the combined number (major*100 + minor)*100 + build.

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

struct FileVersion {
    std::uint16_t major = 4;
    std::uint16_t minor = 25;
    std::uint16_t build = 0;

    // What this program writes: 4.25.000, combined 42500.
    static constexpr FileVersion current() { return {4, 25, 0}; }

    // nullopt for a version word from 5 to 399.
    static std::optional<FileVersion> decode(std::uint16_t versionWord, std::uint16_t buildWord);

    std::uint32_t combined() const { return (major * 100u + minor) * 100u + build; }
    // The version word this version is written with (major*100 + minor).
    std::uint16_t versionWord() const { return static_cast<std::uint16_t>(major * 100u + minor); }
    // "4.25.000"
    std::string text() const;

    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// Combined numbers from which optional parts of the file are present.
inline constexpr std::uint32_t kVersionWithLayoutOptions = 21000;  // frame layout, start locked
inline constexpr std::uint32_t kVersionWithProtection = 40002;     // protection block and key
inline constexpr std::uint32_t kVersionWithRefreshPeriod = 40004;  // display refresh period
inline constexpr std::uint32_t kVersionWithDeviceTarget = 40101;   // handheld target and screen size

}  // namespace kestrune
