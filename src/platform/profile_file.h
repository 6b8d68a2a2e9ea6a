#pragma once
// Settings files in the private-profile format: "[Section]" headers and
// "key=value" lines, ';' starting a comment. Section and key names compare
// without regard to case; the first occurrence of a section or key counts.
//
// Reads follow the rules the settings have always been read with: a missing
// file, section or key gives the caller's default; an integer is an optional
// sign and the digits after it, anything following is ignored, and a value
// without digits is 0.
//
// A write changes or adds one key (or several at once) and keeps every other
// line as it was. The file is replaced safely (platform/safe_file.h), so a
// crash leaves either the old or the new file, never half of one. Writes
// within this process are serialised.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

class ProfileFile {
  public:
    using KeyValue = std::pair<std::string_view, std::string_view>;

    explicit ProfileFile(std::filesystem::path path, FileSystemCalls& calls = FileSystemCalls::system())
        : path_(std::move(path)), calls_(&calls) {}

    // "Kestrune.INI" in the system directory.
    static ProfileFile settingsFile();

    const std::filesystem::path& path() const { return path_; }

    std::string getString(std::string_view section, std::string_view key,
                          std::string_view fallback = {}) const;
    int getInt(std::string_view section, std::string_view key, int fallback) const;

    // Creates the file and its directory when missing. Fails with 32854 for a
    // name or value that would break the file's lines (a line break, a zero
    // byte; '=' or a leading '[' or ';' in a key; ']' in a section name), and
    // with 32860 and the path when the file cannot be read or replaced.
    Status writeString(std::string_view section, std::string_view key, std::string_view value);
    // Several keys in one replacement of the file: all of them or none.
    Status writeStrings(std::string_view section, const std::vector<KeyValue>& values);

  private:
    std::filesystem::path path_;
    FileSystemCalls* calls_;
};

// The integer reading of a profile value (leading blanks, optional sign,
// digits up to the first other character; saturates at the int range).
int parseProfileInt(std::string_view value);

}  // namespace kestrune
