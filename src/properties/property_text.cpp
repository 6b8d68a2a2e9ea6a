#include "properties/property_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrune::propertytext {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// from_chars takes no '+' but does take '-', so "+-3" is refused here.
bool stripPlus(std::string_view& s) {
    if (s.empty() || s.front() != '+') return true;
    s.remove_prefix(1);
    return s.empty() || s.front() != '-';
}

std::optional<std::uint64_t> parseHex(std::string_view s) {
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// The numeric fields of the font record in record order, with their text keys.
struct FontField {
    std::string_view key;
    bool isByte;
    std::int32_t LogFont::*wide;
    std::uint8_t LogFont::*narrow;
};

constexpr std::array<FontField, 13> kFontFields{{
    {"height", false, &LogFont::height, nullptr},
    {"width", false, &LogFont::width, nullptr},
    {"escapement", false, &LogFont::escapement, nullptr},
    {"orientation", false, &LogFont::orientation, nullptr},
    {"weight", false, &LogFont::weight, nullptr},
    {"italic", true, nullptr, &LogFont::italic},
    {"underline", true, nullptr, &LogFont::underline},
    {"strikeout", true, nullptr, &LogFont::strikeOut},
    {"charset", true, nullptr, &LogFont::charSet},
    {"outprecision", true, nullptr, &LogFont::outPrecision},
    {"clipprecision", true, nullptr, &LogFont::clipPrecision},
    {"quality", true, nullptr, &LogFont::quality},
    {"pitchandfamily", true, nullptr, &LogFont::pitchAndFamily},
}};

}  // namespace

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::int64_t> parseInt(std::string_view text) {
    std::string_view s = trim(text);
    if (!stripPlus(s)) return std::nullopt;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trim(text);
    if (!stripPlus(s)) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<bool> parseBool(std::string_view text) {
    const std::string_view s = trim(text);
    for (std::string_view t : {"true", "1", "yes", "on"}) {
        if (equalsNoCase(s, t)) return true;
    }
    for (std::string_view f : {"false", "0", "no", "off"}) {
        if (equalsNoCase(s, f)) return false;
    }
    return std::nullopt;
}

std::optional<Rgb> parseColour(std::string_view text) {
    std::string_view s = trim(text);
    std::optional<std::uint64_t> raw;
    if (!s.empty() && s.front() == '#') {
        if (s.size() != 7) return std::nullopt;
        const auto v = parseHex(s.substr(1));
        if (!v) return std::nullopt;
        return rgb(static_cast<std::uint8_t>(*v >> 16), static_cast<std::uint8_t>(*v >> 8),
                   static_cast<std::uint8_t>(*v));
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        raw = parseHex(s.substr(2));
    } else if (const auto v = parseInt(s); v && *v >= 0) {
        raw = static_cast<std::uint64_t>(*v);
    }
    if (!raw || *raw > 0xFFFFFF) return std::nullopt;
    return static_cast<Rgb>(*raw);
}

std::optional<LogFont> parseFont(std::string_view text) {
    std::string_view s = trim(text);
    LogFont f;
    if (s.empty() || s == "default") return f;
    std::array<bool, kFontFields.size() + 1> seen{};
    while (!s.empty()) {
        const std::size_t eq = s.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        const std::string_view key = trim(s.substr(0, eq));
        s.remove_prefix(eq + 1);
        if (key == "face") {
            if (seen.back() || s.size() >= LogFont::kFaceSize) return std::nullopt;
            seen.back() = true;
            f.setFace(s);
            break;
        }
        const std::size_t semi = s.find(';');
        const std::string_view value = s.substr(0, semi);
        s = semi == std::string_view::npos ? std::string_view{} : s.substr(semi + 1);
        std::size_t i = 0;
        while (i < kFontFields.size() && kFontFields[i].key != key) ++i;
        if (i == kFontFields.size() || seen[i]) return std::nullopt;
        seen[i] = true;
        const auto v = parseInt(value);
        if (!v) return std::nullopt;
        if (kFontFields[i].isByte) {
            if (*v < 0 || *v > 255) return std::nullopt;
            f.*kFontFields[i].narrow = static_cast<std::uint8_t>(*v);
        } else {
            if (*v < std::numeric_limits<std::int32_t>::min() ||
                *v > std::numeric_limits<std::int32_t>::max()) {
                return std::nullopt;
            }
            f.*kFontFields[i].wide = static_cast<std::int32_t>(*v);
        }
    }
    return f;
}

std::string formatInt(std::int64_t v) {
    return std::to_string(v);
}

std::string formatNumber(double v, bool singlePrecision) {
    std::array<char, 64> buf{};
    const auto res = singlePrecision
                         ? std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<float>(v))
                         : std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ptr);
}

std::string formatBool(bool v) {
    return v ? "true" : "false";
}

std::string formatColour(Rgb c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

std::string formatFont(const LogFont& f) {
    std::string out;
    for (const FontField& ff : kFontFields) {
        const std::int64_t v = ff.isByte ? f.*ff.narrow : f.*ff.wide;
        if (v == 0) continue;
        if (!out.empty()) out += ';';
        out += std::string(ff.key) + "=" + std::to_string(v);
    }
    // An unterminated 32-byte face keeps the 31 characters a face can hold.
    const std::string face = f.face().substr(0, LogFont::kFaceSize - 1);
    if (!face.empty()) out += (out.empty() ? "face=" : ";face=") + face;
    return out.empty() ? "default" : out;
}

}  // namespace kestrune::propertytext
