#include "components/driver/param_text.h"

#include <charconv>
#include <cmath>

namespace kestrune {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool parseParamText(std::string_view text, ParamText& out, std::string& error) {
    out = {};
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        if (pos >= text.size()) break;
        std::size_t end = pos;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
        const std::string_view word = text.substr(pos, end - pos);
        pos = end;
        const auto eq = word.find('=');
        if (eq == std::string_view::npos) {
            if (!first) {
                error = "expected key=value, found '" + std::string(word) + "'";
                return false;
            }
            out.head = std::string(word);
        } else {
            const std::string key(word.substr(0, eq));
            if (key.empty() || eq + 1 == word.size()) {
                error = "malformed pair '" + std::string(word) + "'";
                return false;
            }
            for (const auto& p : out.pairs) {
                if (p.first == key) {
                    error = "'" + key + "' given twice";
                    return false;
                }
            }
            out.pairs.emplace_back(key, std::string(word.substr(eq + 1)));
        }
        first = false;
    }
    return true;
}

bool parseDouble(std::string_view text, double& value) {
    text = trim(text);
    if (text.empty()) return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || ptr != e || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool parseUnsigned(std::string_view text, std::uint64_t& value) {
    text = trim(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    std::uint64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || ptr != text.data() + text.size()) return false;
    value = v;
    return true;
}

bool parseInteger(std::string_view text, std::int64_t& value) {
    text = trim(text);
    if (text.empty()) return false;
    std::int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size()) return false;
    value = v;
    return true;
}

}  // namespace kestrune
