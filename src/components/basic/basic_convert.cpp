#include "components/basic/basic_convert.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

bool caseEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// &H1F or &O17 at the start of `t`: the digits used, 0 when none.
std::size_t radixPrefix(std::string_view t, double& out) {
    if (t.size() < 3 || t[0] != '&') return 0;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(t[1])));
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0) return 0;
    std::uint64_t v = 0;
    std::size_t i = 2;
    for (; i < t.size() && i < 20; ++i) {
        const int c = std::toupper(static_cast<unsigned char>(t[i]));
        int digit = std::isdigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
        if (digit >= base) break;
        v = v * base + digit;
    }
    if (i == 2) return 0;
    // 16-bit and 32-bit patterns read as signed values, as literals do.
    if (v <= 0xFFFF && i - 2 <= (base == 16 ? 4u : 6u)) out = static_cast<std::int16_t>(v);
    else out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return i;
}

}  // namespace

std::int32_t basicRoundToLong(double d) {
    if (std::isnan(d)) throwBasicError(kBasicOverflow);
    const double r = std::nearbyint(d);
    if (r < -2147483648.0 || r > 2147483647.0) throwBasicError(kBasicOverflow);
    return static_cast<std::int32_t>(r);
}

std::int16_t basicRoundToInteger(double d) {
    if (std::isnan(d)) throwBasicError(kBasicOverflow);
    const double r = std::nearbyint(d);
    if (r < -32768.0 || r > 32767.0) throwBasicError(kBasicOverflow);
    return static_cast<std::int16_t>(r);
}

bool basicParseNumber(std::string_view text, double& out) {
    std::string_view t = trimmed(text);
    if (t.empty()) return false;
    if (t[0] == '&') return radixPrefix(t, out) == t.size();
    std::string copy(t);
    char* end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return false;
    // strtod also reads "inf", "nan" and hexadecimal floats, which are not numbers here.
    for (char c : copy)
        if (std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E') return false;
    return true;
}

double basicVal(std::string_view text) {
    std::string digits;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    double radix = 0;
    if (radixPrefix(text.substr(i), radix) > 0) return radix;
    // Val skips blanks inside the number too.
    for (; i < text.size() && digits.size() < 400; ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') continue;
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E')
            digits.push_back(c);
        else
            break;
    }
    // The longest prefix that is a number.
    while (!digits.empty()) {
        char* end = nullptr;
        const double v = std::strtod(digits.c_str(), &end);
        if (end == digits.c_str() + digits.size()) return std::isfinite(v) ? v : 0;
        digits.resize(static_cast<std::size_t>(end - digits.c_str()));
    }
    return 0;
}

double basicToDouble(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Integer:
        case BasicType::Long:
        case BasicType::Boolean:
            return v.rawInt();
        case BasicType::Single: return v.rawSingle();
        case BasicType::Double:
        case BasicType::Date:
            return v.rawDouble();
        case BasicType::Empty: return 0;
        case BasicType::String: {
            double d = 0;
            if (caseEqual(trimmed(v.rawString()), "True")) return -1;
            if (caseEqual(trimmed(v.rawString()), "False")) return 0;
            if (!basicParseNumber(v.rawString(), d)) throwBasicError(kBasicTypeMismatch);
            return d;
        }
        case BasicType::Ref: return basicToDouble(*v.rawRef());
        default: throwBasicError(kBasicTypeMismatch);
    }
}

std::int32_t basicToLong(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Integer:
        case BasicType::Long:
        case BasicType::Boolean:
            return v.rawInt();
        default: return basicRoundToLong(basicToDouble(v));
    }
}

std::int16_t basicToInteger(const BasicValue& v) {
    if (v.type() == BasicType::Integer || v.type() == BasicType::Boolean) return static_cast<std::int16_t>(v.rawInt());
    return basicRoundToInteger(basicToDouble(v));
}

float basicToSingle(const BasicValue& v) {
    const double d = basicToDouble(v);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) throwBasicError(kBasicOverflow);
    return static_cast<float>(d);
}

bool basicToBool(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Integer:
        case BasicType::Long:
        case BasicType::Boolean:
            return v.rawInt() != 0;
        default: return basicToDouble(v) != 0;
    }
}

std::string basicFormatDouble(double d, int significantDigits) {
    if (d == 0) return "0";
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", significantDigits, d);
    std::string s(buf);
    // "1.5E+20" rather than "1.5E+020"-style padding; strip a trailing ".0...".
    const std::size_t e = s.find('E');
    std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : s.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
    }
    if (!exponent.empty()) {
        const char sign = exponent[1];
        std::size_t digitsAt = 2;
        while (digitsAt + 1 < exponent.size() && exponent[digitsAt] == '0') ++digitsAt;
        std::string digits = exponent.substr(digitsAt);
        if (digits.size() < 2) digits.insert(digits.begin(), '0');
        exponent = std::string("E") + sign + digits;
    }
    return mantissa + exponent;
}

std::string basicToString(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Integer:
        case BasicType::Long:
            return std::to_string(v.rawInt());
        case BasicType::Boolean: return v.rawInt() ? "True" : "False";
        case BasicType::Single: return basicFormatDouble(v.rawSingle(), 7);
        case BasicType::Double: return basicFormatDouble(v.rawDouble(), 15);
        case BasicType::Date: return basicFormatDouble(v.rawDouble(), 15);
        case BasicType::String: return std::string(v.rawString());
        case BasicType::Empty: return {};
        case BasicType::Ref: return basicToString(*v.rawRef());
        default: throwBasicError(kBasicTypeMismatch);
    }
}

BasicValue basicCoerce(const BasicValue& v, BasicType type) {
    if (v.type() == type) return v;
    switch (type) {
        case BasicType::Integer: return BasicValue::integer(basicToInteger(v));
        case BasicType::Long: return BasicValue::longValue(basicToLong(v));
        case BasicType::Single: return BasicValue::single(basicToSingle(v));
        case BasicType::Double: return BasicValue::doubleValue(basicToDouble(v));
        case BasicType::Date: return BasicValue::date(basicToDouble(v));
        case BasicType::Boolean: return BasicValue::boolean(basicToBool(v));
        case BasicType::String: return BasicValue::string(basicToString(v));
        case BasicType::Object:
            if (v.type() != BasicType::Object) throwBasicError(kBasicObjectRequired);
            return v;
        default:
            if (v.type() == BasicType::Ref) return *v.rawRef();
            return v;
    }
}

}  // namespace kestrune
