#include "platform/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/safe_file.h"
#include "platform/system_directory.h"

namespace kestrune {
namespace {

// String-table ids (the table itself sits in a module above this one).
constexpr Code kGenericError = 32854;
constexpr Code kCannotOpenFile = kFileFailure;

// A settings file is a few hundred bytes; anything far larger is not one, and
// is neither read nor rewritten.
constexpr std::uintmax_t kLargestFile = 4u << 20;

std::mutex& writeMutex() {
    static std::mutex m;
    return m;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The name of a "[Section]" line (a missing ']' takes the rest of the line).
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    return trim(line.substr(0, line.find(']')));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> entryOf(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    return Entry{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// The file's lines without their ends; nullopt when it exists but cannot be
// read (or is too large to be a settings file). A missing file has no lines.
struct Lines {
    std::vector<std::string> lines;
    bool crlf = false;
};

std::optional<Lines> readLines(const std::filesystem::path& path) {
    Lines out;
    std::vector<std::uint8_t> bytes;
    if (const Status read = readWholeFile(path.string(), bytes, kLargestFile); !read) {
        if (errno == ENOENT) return out;  // taken before `read` (and its text) goes
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line(text.substr(at, end - at));
        const bool cr = !line.empty() && line.back() == '\r';
        if (cr) line.pop_back();
        if (out.lines.empty()) out.crlf = cr;
        out.lines.push_back(std::move(line));
        at = end + 1;
    }
    return out;
}

// Index range [begin, end) of the body of the first section named `section`;
// begin is the header line. nullopt when there is no such section.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const std::vector<std::string>& lines,
                                                               std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i]);
        if (!name || !equalsNoCase(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionOf(lines[end])) ++end;
        return std::pair{i, end};
    }
    return std::nullopt;
}

bool hasLineBreakOrZero(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool validName(std::string_view section, std::string_view key) {
    const auto k = trim(key);
    const auto s = trim(section);
    return !k.empty() && !s.empty() && !hasLineBreakOrZero(section) && !hasLineBreakOrZero(key) &&
           k.find('=') == k.npos && k.front() != '[' && k.front() != ';' && s.find(']') == s.npos;
}

std::optional<std::string> lookup(const std::filesystem::path& path, std::string_view section,
                                  std::string_view key) {
    const auto file = readLines(path);
    if (!file) return std::nullopt;
    const auto range = findSection(file->lines, section);
    if (!range) return std::nullopt;
    for (std::size_t i = range->first + 1; i < range->second; ++i) {
        const auto entry = entryOf(file->lines[i]);
        if (entry && equalsNoCase(entry->key, key)) return std::string(unquote(entry->value));
    }
    return std::nullopt;
}

}  // namespace

ProfileFile ProfileFile::settingsFile() {
    return ProfileFile(systemDirectory() / "Kestrune.INI");
}

std::string ProfileFile::getString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
    auto value = lookup(path_, section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int ProfileFile::getInt(std::string_view section, std::string_view key, int fallback) const {
    const auto value = lookup(path_, section, key);
    return value ? parseProfileInt(*value) : fallback;
}

Status ProfileFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    return writeStrings(section, {{key, value}});
}

Status ProfileFile::writeStrings(std::string_view section, const std::vector<KeyValue>& values) {
    for (const auto& [key, value] : values)
        if (!validName(section, key) || hasLineBreakOrZero(value)) return {kGenericError, std::string(key)};

    std::lock_guard lock(writeMutex());
    auto file = readLines(path_);
    if (!file) return {kCannotOpenFile, path_.string()};
    auto& lines = file->lines;

    auto range = findSection(lines, section);
    if (!range) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(trim(section)) + "]");
        range = std::pair{lines.size() - 1, lines.size()};
    }
    for (const auto& [key, value] : values) {
        const std::string_view wanted = trim(key);
        std::string line = std::string(wanted) + "=" + std::string(value);
        auto [begin, end] = *range;
        // Captures a plain variable: a structured binding in a capture is refused by some compilers.
        auto isKey = [wanted](const std::string& l) {
            const auto entry = entryOf(l);
            return entry && equalsNoCase(entry->key, wanted);
        };
        std::size_t at = begin + 1;
        while (at < end && !isKey(lines[at])) ++at;
        if (at < end) {
            lines[at] = std::move(line);
            continue;
        }
        // A new key goes after the section's last non-blank line, before the
        // blank lines that separate it from the next section.
        std::size_t insert = end;
        while (insert > begin + 1 && trim(lines[insert - 1]).empty()) --insert;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), std::move(line));
        range->second = end + 1;
    }

    const char* eol = file->crlf ? "\r\n" : "\n";
    std::string data;
    for (const auto& l : lines) data += l + eol;
    std::error_code ec;
    if (path_.has_parent_path()) std::filesystem::create_directories(path_.parent_path(), ec);
    if (!replaceFileSafely(path_.string(), data, *calls_).ok()) return {kCannotOpenFile, path_.string()};
    return kOk;
}

int parseProfileInt(std::string_view value) {
    value = trim(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    std::int64_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        n = std::min<std::int64_t>(n * 10 + (c - '0'), std::int64_t{INT_MAX} + 1);
    }
    if (negative) n = -n;
    return static_cast<int>(std::clamp<std::int64_t>(n, INT_MIN, INT_MAX));
}

}  // namespace kestrune
