#include "components/basic/basic_builtins.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_errors.h"
#include "components/basic/basic_format.h"

namespace kestrune {

namespace {

enum Builtin {
    kLen, kLeft, kRight, kMid, kInStr, kUCase, kLCase, kTrim, kLTrim, kRTrim, kChr, kAsc, kStr, kVal,
    kCStr, kCInt, kCLng, kCSng, kCDbl, kCBool, kInt, kFix, kAbs, kSgn, kSqr, kExp, kLog, kSin, kCos,
    kTan, kAtn, kRnd, kRandomize, kString, kSpace, kStrComp, kReplace, kFormat, kHex, kOct, kNow,
    kTimer, kDate, kTime, kIsNumeric, kIsEmpty, kIsMissing, kIsArray, kIsObject, kLBound, kUBound,
    kVarType, kYear, kMonth, kDay, kHour, kMinute, kSecond, kWeekday, kDateSerial, kCount
};

constexpr BasicBuiltinInfo kTable[kCount] = {
    {"LEN", 1, 1}, {"LEFT", 2, 2}, {"RIGHT", 2, 2}, {"MID", 2, 3}, {"INSTR", 2, 4}, {"UCASE", 1, 1},
    {"LCASE", 1, 1}, {"TRIM", 1, 1}, {"LTRIM", 1, 1}, {"RTRIM", 1, 1}, {"CHR", 1, 1}, {"ASC", 1, 1},
    {"STR", 1, 1}, {"VAL", 1, 1}, {"CSTR", 1, 1}, {"CINT", 1, 1}, {"CLNG", 1, 1}, {"CSNG", 1, 1},
    {"CDBL", 1, 1}, {"CBOOL", 1, 1}, {"INT", 1, 1}, {"FIX", 1, 1}, {"ABS", 1, 1}, {"SGN", 1, 1},
    {"SQR", 1, 1}, {"EXP", 1, 1}, {"LOG", 1, 1}, {"SIN", 1, 1}, {"COS", 1, 1}, {"TAN", 1, 1},
    {"ATN", 1, 1}, {"RND", 0, 1}, {"RANDOMIZE", 0, 1}, {"STRING", 2, 2}, {"SPACE", 1, 1},
    {"STRCOMP", 2, 3}, {"REPLACE", 3, 6}, {"FORMAT", 1, 2}, {"HEX", 1, 1}, {"OCT", 1, 1}, {"NOW", 0, 0},
    {"TIMER", 0, 0}, {"DATE", 0, 0}, {"TIME", 0, 0}, {"ISNUMERIC", 1, 1}, {"ISEMPTY", 1, 1},
    {"ISMISSING", 1, 1}, {"ISARRAY", 1, 1}, {"ISOBJECT", 1, 1}, {"LBOUND", 1, 2}, {"UBOUND", 1, 2},
    {"VARTYPE", 1, 1}, {"YEAR", 1, 1}, {"MONTH", 1, 1}, {"DAY", 1, 1}, {"HOUR", 1, 1}, {"MINUTE", 1, 1},
    {"SECOND", 1, 1}, {"WEEKDAY", 1, 1}, {"DATESERIAL", 3, 3},
};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::size_t count(const BasicValue& v) {
    const std::int32_t n = basicToLong(v);
    if (n < 0) throwBasicError(kBasicInvalidCall);
    return static_cast<std::size_t>(n);
}

BasicValue text(std::string s, const BasicBuiltinState& state) {
    if (s.size() > state.maxStringLength) throwBasicError(kBasicOutOfStringSpace);
    return BasicValue::string(std::move(s));
}

// A real result that keeps an Integer or Long argument's type (Int, Fix, Abs).
BasicValue sameType(const BasicValue& arg, double r) {
    switch (arg.type()) {
        case BasicType::Integer:
        case BasicType::Boolean:
            return BasicValue::integer(basicRoundToInteger(r));
        case BasicType::Long: return BasicValue::longValue(basicRoundToLong(r));
        case BasicType::Single: return BasicValue::single(static_cast<float>(r));
        default: return BasicValue::doubleValue(r);
    }
}

std::size_t find(const std::string& hay, const std::string& needle, std::size_t from, bool noCase) {
    if (noCase) return upper(hay).find(upper(needle), from);
    return hay.find(needle, from);
}

BasicValue inStr(BasicValue* a, int argc) {
    std::size_t start = 1;
    int first = 0;
    if (argc >= 3) {
        start = count(a[0]);
        if (start < 1) throwBasicError(kBasicInvalidCall);
        first = 1;
    }
    const std::string hay = basicToString(a[first]);
    const std::string needle = basicToString(a[first + 1]);
    const bool noCase = argc == 4 && basicToLong(a[3]) == 1;
    if (start > hay.size()) return BasicValue::longValue(needle.empty() && start == hay.size() + 1 ? 0 : 0);
    if (needle.empty()) return BasicValue::longValue(static_cast<std::int32_t>(start));
    const std::size_t at = find(hay, needle, start - 1, noCase);
    return BasicValue::longValue(at == std::string::npos ? 0 : static_cast<std::int32_t>(at + 1));
}

BasicValue replace(BasicValue* a, int argc, const BasicBuiltinState& state) {
    const std::string source = basicToString(a[0]);
    const std::string what = basicToString(a[1]);
    const std::string with = basicToString(a[2]);
    const std::size_t start = argc >= 4 && !a[3].isMissing() ? count(a[3]) : 1;
    const std::int32_t limit = argc >= 5 && !a[4].isMissing() ? basicToLong(a[4]) : -1;
    const bool noCase = argc >= 6 && !a[5].isMissing() && basicToLong(a[5]) == 1;
    if (start < 1) throwBasicError(kBasicInvalidCall);
    if (start > source.size()) return BasicValue::string(std::string_view());
    // As the classic function does, the result starts at `start`.
    std::string rest = source.substr(start - 1);
    if (what.empty()) return text(rest, state);
    std::string out;
    std::size_t at = 0;
    std::int32_t done = 0;
    while (limit < 0 || done < limit) {
        const std::size_t hit = find(rest, what, at, noCase);
        if (hit == std::string::npos) break;
        out.append(rest, at, hit - at).append(with);
        if (out.size() > state.maxStringLength) throwBasicError(kBasicOutOfStringSpace);
        at = hit + what.size();
        ++done;
    }
    out.append(rest, at, std::string::npos);
    return text(std::move(out), state);
}

std::string radix(const BasicValue& v, int base) {
    const std::int32_t n = basicToLong(v);
    std::uint32_t u = v.type() == BasicType::Integer ? static_cast<std::uint16_t>(n) : static_cast<std::uint32_t>(n);
    if (u == 0) return "0";
    std::string out;
    while (u) {
        out.insert(out.begin(), "0123456789ABCDEF"[u % static_cast<unsigned>(base)]);
        u /= static_cast<unsigned>(base);
    }
    return out;
}

double nowSerial() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return basicDateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

BasicValue bound(BasicValue* a, int argc, bool upperBound) {
    if (a[0].type() != BasicType::Array) throwBasicError(kBasicTypeMismatch);
    const BasicArray& arr = *a[0].rawArray();
    const std::int32_t d = argc == 2 ? basicToLong(a[1]) : 1;
    if (d < 1 || d > arr.dims) throwBasicError(kBasicSubscript);
    const int i = d - 1;
    return BasicValue::longValue(upperBound ? arr.lower[i] + arr.count[i] - 1 : arr.lower[i]);
}

// The classic 24-bit generator, so that a seeded sequence repeats.
float nextRandom(BasicBuiltinState& s) {
    s.seed = (s.seed * 1140671485u + 12820163u) & 0xFFFFFFu;
    s.last = static_cast<float>(s.seed) / 16777216.0f;
    return s.last;
}

BasicValue dateParts(int id, const BasicValue& v) {
    int y, mo, d, h, mi, s;
    const double serial = basicToDouble(v);
    basicDateParts(serial, y, mo, d, h, mi, s);
    const int parts[] = {y, mo, d, h, mi, s, basicWeekday(serial)};
    return BasicValue::integer(static_cast<std::int16_t>(parts[id - kYear]));
}

BasicValue math(int id, const BasicValue& v) {
    const double x = basicToDouble(v);
    double r = 0;
    switch (id) {
        case kSqr:
            if (x < 0) throwBasicError(kBasicInvalidCall);
            r = std::sqrt(x);
            break;
        case kExp: r = std::exp(x); break;
        case kLog:
            if (x <= 0) throwBasicError(kBasicInvalidCall);
            r = std::log(x);
            break;
        case kSin: r = std::sin(x); break;
        case kCos: r = std::cos(x); break;
        case kTan: r = std::tan(x); break;
        default: r = std::atan(x); break;
    }
    if (!std::isfinite(r)) throwBasicError(kBasicOverflow);
    return BasicValue::doubleValue(r);
}

}  // namespace

int basicFindBuiltin(std::string_view upperName) {
    for (int i = 0; i < kCount; ++i)
        if (kTable[i].name == upperName) return i;
    return -1;
}

const BasicBuiltinInfo& basicBuiltinInfo(int id) {
    return kTable[id];
}

BasicValue basicCallBuiltin(int id, BasicValue* a, int argc, BasicBuiltinState& state) {
    switch (id) {
        case kLen: return BasicValue::longValue(static_cast<std::int32_t>(basicToString(a[0]).size()));
        case kLeft: {
            const std::size_t n = count(a[1]);
            if (a[0].type() == BasicType::String) return BasicValue::string(a[0].rawString().substr(0, n));
            return BasicValue::string(basicToString(a[0]).substr(0, n));
        }
        case kRight: {
            const std::string s = basicToString(a[0]);
            const std::size_t n = std::min(count(a[1]), s.size());
            return BasicValue::string(s.substr(s.size() - n));
        }
        case kMid: {
            const std::size_t start = count(a[1]);
            if (start < 1) throwBasicError(kBasicInvalidCall);
            const std::string_view s = a[0].type() == BasicType::String ? a[0].rawString() : std::string_view();
            const std::string other = a[0].type() == BasicType::String ? std::string() : basicToString(a[0]);
            const std::string_view src = a[0].type() == BasicType::String ? s : std::string_view(other);
            if (start > src.size()) return BasicValue::string(std::string_view());
            const std::size_t n = argc == 3 && !a[2].isMissing() ? count(a[2]) : std::string::npos;
            return BasicValue::string(src.substr(start - 1, n));
        }
        case kInStr: return inStr(a, argc);
        case kUCase: return BasicValue::string(upper(basicToString(a[0])));
        case kLCase: return BasicValue::string(lower(basicToString(a[0])));
        case kTrim:
        case kLTrim:
        case kRTrim: {
            std::string s = basicToString(a[0]);
            if (id != kRTrim) s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
            if (id != kLTrim) s.erase(s.find_last_not_of(' ') + 1);
            return BasicValue::string(std::move(s));
        }
        case kChr: {
            const std::int32_t c = basicToLong(a[0]);
            if (c < 0 || c > 255) throwBasicError(kBasicInvalidCall);
            return BasicValue::string(std::string(1, static_cast<char>(c)));
        }
        case kAsc: {
            const std::string s = basicToString(a[0]);
            if (s.empty()) throwBasicError(kBasicInvalidCall);
            return BasicValue::integer(static_cast<unsigned char>(s[0]));
        }
        case kStr: {
            std::string s = basicToString(a[0]);
            if (a[0].isNumeric() && (s.empty() || s[0] != '-')) s.insert(s.begin(), ' ');
            return BasicValue::string(std::move(s));
        }
        case kVal: return BasicValue::doubleValue(basicVal(basicToString(a[0])));
        case kCStr: return BasicValue::string(basicToString(a[0]));
        case kCInt: return BasicValue::integer(basicToInteger(a[0]));
        case kCLng: return BasicValue::longValue(basicToLong(a[0]));
        case kCSng: return BasicValue::single(basicToSingle(a[0]));
        case kCDbl: return BasicValue::doubleValue(basicToDouble(a[0]));
        case kCBool: return BasicValue::boolean(basicToBool(a[0]));
        case kInt: return sameType(a[0], std::floor(basicToDouble(a[0])));
        case kFix: return sameType(a[0], std::trunc(basicToDouble(a[0])));
        case kAbs: return sameType(a[0], std::fabs(basicToDouble(a[0])));
        case kSgn: {
            const double x = basicToDouble(a[0]);
            return BasicValue::integer(x > 0 ? 1 : x < 0 ? -1 : 0);
        }
        case kSqr:
        case kExp:
        case kLog:
        case kSin:
        case kCos:
        case kTan:
        case kAtn:
            return math(id, a[0]);
        case kRnd: {
            if (argc == 1) {
                const double x = basicToDouble(a[0]);
                if (x == 0) return BasicValue::single(state.last);
                if (x < 0) {
                    float f = static_cast<float>(x);
                    std::uint32_t bits = 0;
                    static_assert(sizeof bits == sizeof f);
                    std::memcpy(&bits, &f, sizeof bits);
                    state.seed = (bits + (bits >> 24)) & 0xFFFFFFu;
                }
            }
            return BasicValue::single(nextRandom(state));
        }
        case kRandomize: {
            const double seed = argc == 1 && !a[0].isMissing()
                                    ? basicToDouble(a[0])
                                    : static_cast<double>(std::chrono::steady_clock::now().time_since_epoch().count() % 16777216);
            state.seed = (state.seed & 0xFFu) | ((static_cast<std::uint32_t>(static_cast<std::int64_t>(seed)) & 0xFFFFu) << 8);
            return BasicValue();
        }
        case kString:
        case kSpace: {
            const std::size_t n = count(a[0]);
            if (n > state.maxStringLength) throwBasicError(kBasicOutOfStringSpace);
            char c = ' ';
            if (id == kString) {
                if (a[1].type() == BasicType::String) {
                    if (a[1].rawString().empty()) throwBasicError(kBasicInvalidCall);
                    c = a[1].rawString()[0];
                } else {
                    c = static_cast<char>(basicToLong(a[1]) & 0xFF);
                }
            }
            return BasicValue::string(std::string(n, c));
        }
        case kStrComp: {
            std::string x = basicToString(a[0]);
            std::string y = basicToString(a[1]);
            if (argc == 3 && basicToLong(a[2]) == 1) {
                x = upper(x);
                y = upper(y);
            }
            const int c = x.compare(y);
            return BasicValue::integer(c < 0 ? -1 : c > 0 ? 1 : 0);
        }
        case kReplace: return replace(a, argc, state);
        case kFormat: return text(basicFormat(a[0], argc == 2 ? basicToString(a[1]) : std::string()), state);
        case kHex: return BasicValue::string(radix(a[0], 16));
        case kOct: return BasicValue::string(radix(a[0], 8));
        case kNow: return BasicValue::date(nowSerial());
        case kDate: return BasicValue::date(std::floor(nowSerial()));
        case kTime: {
            const double n = nowSerial();
            return BasicValue::date(n - std::floor(n));
        }
        case kTimer: {
            const double n = nowSerial();
            return BasicValue::single(static_cast<float>((n - std::floor(n)) * 86400.0));
        }
        case kIsNumeric: {
            if (a[0].type() == BasicType::String) {
                double d = 0;
                return BasicValue::boolean(basicParseNumber(a[0].rawString(), d));
            }
            return BasicValue::boolean(a[0].isNumeric());
        }
        case kIsEmpty: return BasicValue::boolean(a[0].type() == BasicType::Empty);
        case kIsMissing: return BasicValue::boolean(a[0].isMissing());
        case kIsArray: return BasicValue::boolean(a[0].type() == BasicType::Array);
        case kIsObject: return BasicValue::boolean(a[0].type() == BasicType::Object);
        case kLBound: return bound(a, argc, false);
        case kUBound: return bound(a, argc, true);
        case kVarType: {
            if (a[0].type() == BasicType::Array) return BasicValue::integer(0x2000 | static_cast<int>(a[0].rawArray()->element));
            return BasicValue::integer(static_cast<std::int16_t>(a[0].type() == BasicType::Object ? 9 : static_cast<int>(a[0].type())));
        }
        case kYear:
        case kMonth:
        case kDay:
        case kHour:
        case kMinute:
        case kSecond:
        case kWeekday:
            return dateParts(id, a[0]);
        case kDateSerial: {
            const std::int32_t y = basicToLong(a[0]);
            const std::int32_t m = basicToLong(a[1]);
            const std::int32_t d = basicToLong(a[2]);
            if (y < 100 || y > 9999 || m < -1000 || m > 1000 || d < -100000 || d > 100000) throwBasicError(kBasicInvalidCall);
            // Months and days outside their range roll over, as in the classic function.
            const int months = y * 12 + (m - 1);
            return BasicValue::date(basicDateSerial(months / 12, months % 12 + 1, 1) + (d - 1));
        }
        default: throwBasicError(kBasicInvalidCall);
    }
}

}  // namespace kestrune
