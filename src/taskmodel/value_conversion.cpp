#include "taskmodel/value_conversion.h"

#include <locale.h>
#include <stdlib.h>  // strtol_l, strtod_l

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "taskmodel/node.h"
#include "taskmodel/output_value.h"

namespace kestrune {
namespace {

constexpr std::size_t kParseLimit = 128;

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

struct ParseBuffer {
    char text[kParseLimit + 1];

    explicit ParseBuffer(std::string_view source) {
        const std::size_t n = strnlen(source.data(), std::min(source.size(), kParseLimit));
        std::memcpy(text, source.data(), n);
        text[n] = '\0';
    }

    // "-  12" would read as 0 because the conversion stops at the blank after
    // the sign; zeros in place of the blanks keep the sign with its digits.
    void repairDetachedSign(const char* digits) {
        const char* sign = std::strpbrk(text, "+-");
        const char* digit = std::strpbrk(text, digits);
        if (sign == nullptr || digit == nullptr) return;
        const std::size_t s = static_cast<std::size_t>(sign - text);
        const std::size_t d = static_cast<std::size_t>(digit - text);
        if (s + 1 >= d) return;
        for (std::size_t i = d - 1; i >= 1 && text[i] == ' '; --i) text[i] = '0';
    }
};

}  // namespace

std::int32_t ParseInteger(std::string_view text) {
    ParseBuffer buffer(text);
    buffer.repairDetachedSign("0123456789");
    const long value = strtol_l(buffer.text, nullptr, 10, cLocale());
    // A 32-bit long saturates; keep that on machines where long is wider.
    return static_cast<std::int32_t>(std::clamp<long>(value, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

float ParseFloat(std::string_view text) {
    ParseBuffer buffer(text);
    buffer.repairDetachedSign("0123456789.eE");
    const double value = strtod_l(buffer.text, nullptr, cLocale());
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

std::string FormatInteger(std::int32_t value) {
    return std::to_string(value);
}

std::string FormatFloat(float value) {
    char out[64];
    const auto result = std::to_chars(out, out + sizeof out, value, std::chars_format::fixed, 6);
    return std::string(out, result.ptr);
}

std::int32_t FloatToInteger(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    if (value < -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

bool ConvertValue(Node& node, DataType wanted, const OutputValue& value, std::span<char> buffer,
                  std::size_t element) {
    switch (wanted) {
        case kTypeInteger:
            node.setScratchInteger(value.toInteger(element));
            return true;
        case kTypeFloat:
            node.setScratchFloat(value.toFloat(element));
            return true;
        case kTypeString: {
            if (buffer.empty()) return true;
            const std::string text = value.toText(element);
            const std::size_t n = std::min({text.size(), kMaxStringLength, buffer.size() - 1});
            std::memcpy(buffer.data(), text.data(), n);
            buffer[n] = '\0';
            return true;
        }
        default:
            return false;
    }
}

}  // namespace kestrune
