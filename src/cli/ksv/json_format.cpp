#include "cli/ksv/json_format.h"

#include <algorithm>
#include <cstdint>

namespace kestrune::ksv {
namespace {

bool isPlain(const Json& v) {
    return !v.is_object() && !v.is_array();
}

// A list of plain values, or a list of such lists.
bool fitsOnOneLine(const Json& v) {
    if (!v.is_array()) return false;
    return std::all_of(v.begin(), v.end(), [](const Json& e) {
        return isPlain(e) || (e.is_array() && std::all_of(e.begin(), e.end(), isPlain));
    });
}

bool isUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t follow = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + follow >= text.size()) return false;
        for (std::size_t k = 1; k <= follow; ++k) {
            const auto n = static_cast<unsigned char>(text[i + k]);
            if ((n & 0xC0) != 0x80) return false;
            cp = cp << 6 | (n & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF.
        if ((follow == 2 && cp < 0x800) || (follow == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += follow + 1;
    }
    return true;
}

void collectNotUtf8(const Json& v, const std::string& path, std::vector<std::string>& out) {
    if (v.is_string()) {
        if (!isUtf8(v.get_ref<const std::string&>())) out.push_back(path);
    } else if (v.is_object()) {
        for (const auto& [key, member] : v.items()) collectNotUtf8(member, memberPath(path, key), out);
    } else if (v.is_array()) {
        for (std::size_t i = 0; i < v.size(); ++i) collectNotUtf8(v[i], elementPath(path, i), out);
    }
}

void format(const Json& v, int indent, std::string& out) {
    const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
    const std::string closing(static_cast<std::size_t>(indent), ' ');
    if (v.is_object() && !v.empty()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : v.items()) {
            if (!first) out += ",\n";
            first = false;
            out += inner + Json(key).dump() + ": ";
            format(member, indent + 2, out);
        }
        out += "\n" + closing + "}";
    } else if (v.is_array() && !v.empty() && !fitsOnOneLine(v)) {
        out += "[\n";
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (i > 0) out += ",\n";
            out += inner;
            format(v[i], indent + 2, out);
        }
        out += "\n" + closing + "]";
    } else {
        out += v.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
}

}  // namespace

std::vector<std::string> textsNotUtf8(const Json& value) {
    std::vector<std::string> paths;
    collectNotUtf8(value, "", paths);
    return paths;
}

std::string formatJson(const Json& value) {
    std::string out;
    format(value, 0, out);
    return out;
}

}  // namespace kestrune::ksv
