#include "document/file_version.h"

#include <cstdio>

namespace kestrune {

std::optional<FileVersion> FileVersion::decode(std::uint16_t versionWord, std::uint16_t buildWord) {
    if (versionWord <= 3) return FileVersion{versionWord, buildWord, 0};
    if (versionWord == 4) return FileVersion{4, 0, buildWord};
    if (versionWord >= 400) {
        return FileVersion{static_cast<std::uint16_t>(versionWord / 100),
                           static_cast<std::uint16_t>(versionWord % 100), buildWord};
    }
    return std::nullopt;
}

std::string FileVersion::text() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%02d.%03d", major, minor, build);
    return buf;
}

}  // namespace kestrune
