#include "components/basic/basic_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_library.h"

namespace kestrune {

namespace {

constexpr std::string_view kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
constexpr std::string_view kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string fixed(double v, int decimals) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out.push_back(digits[static_cast<std::size_t>(i)]);
        if ((n - i - 1) % 3 == 0 && i != n - 1) out.push_back(',');
    }
    return out;
}

std::string named(double v, std::string_view name, bool& done) {
    done = true;
    if (basicNameEquals(name, "General Number")) return basicFormatDouble(v, 15);
    if (basicNameEquals(name, "Fixed")) return fixed(v, 2);
    if (basicNameEquals(name, "Standard")) {
        std::string s = fixed(std::fabs(v), 2);
        const std::size_t dot = s.find('.');
        s = groupThousands(s.substr(0, dot)) + s.substr(dot);
        return v < 0 && s.find_first_not_of("0.,") != std::string::npos ? "-" + s : s;
    }
    if (basicNameEquals(name, "Percent")) return fixed(v * 100, 2) + "%";
    if (basicNameEquals(name, "Scientific")) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2E", v);
        std::string s(buf);
        const std::size_t e = s.find('E');
        const int exponent = std::atoi(s.c_str() + e + 1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return s.substr(0, e) + tail;
    }
    if (basicNameEquals(name, "Yes/No")) return v != 0 ? "Yes" : "No";
    if (basicNameEquals(name, "True/False")) return v != 0 ? "True" : "False";
    if (basicNameEquals(name, "On/Off")) return v != 0 ? "On" : "Off";
    done = false;
    return {};
}

// One section of a numeric pattern, e.g. "#,##0.00" or "0.0E+00".
std::string numeric(double v, std::string_view p, bool withSign) {
    int intZeros = 0;
    int decimals = 0;
    int decimalZeros = 0;
    bool seenDot = false;
    bool thousands = false;
    bool percent = false;
    int expAt = -1;
    int expDigits = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '\\' || c == '"') {
            if (c == '"') while (i + 1 < p.size() && p[++i] != '"') {}
            else ++i;
            continue;
        }
        if (expAt >= 0) {
            if (c == '0' || c == '#') ++expDigits;
            continue;
        }
        if ((c == 'E' || c == 'e') && i + 1 < p.size() && (p[i + 1] == '+' || p[i + 1] == '-')) {
            expAt = static_cast<int>(i);
            ++i;
            continue;
        }
        if (c == '.') seenDot = true;
        else if (c == ',' && !seenDot) thousands = true;
        else if (c == '%') percent = true;
        else if (c == '0' || c == '#') {
            if (seenDot) {
                ++decimals;
                if (c == '0') decimalZeros = decimals;
            } else if (c == '0') {
                ++intZeros;
            }
        }
    }
    if (percent) v *= 100;
    std::string intDigits;
    std::string decDigits;
    std::string expText;
    double mag = std::fabs(v);
    if (expAt >= 0) {
        int exponent = mag == 0 ? 0 : static_cast<int>(std::floor(std::log10(mag)));
        const int lead = std::max(intZeros, 1);
        exponent -= lead - 1;
        double mant = mag / std::pow(10.0, exponent);
        std::string m = fixed(mant, decimals);
        if (m.find('.') == std::string::npos ? m.size() > static_cast<std::size_t>(lead) : m.find('.') > static_cast<std::size_t>(lead)) {
            ++exponent;
            m = fixed(mag / std::pow(10.0, exponent), decimals);
        }
        mag = std::atof(m.c_str());
        char buf[32];
        const bool plus = p[static_cast<std::size_t>(expAt) + 1] == '+';
        std::snprintf(buf, sizeof buf, "%s%0*d", exponent < 0 ? "-" : plus ? "+" : "", std::clamp(expDigits, 1, 9),
                      std::abs(exponent));
        expText = std::string(1, p[static_cast<std::size_t>(expAt)]) + buf;
    }
    const std::string text = fixed(mag, decimals);
    const std::size_t dot = text.find('.');
    intDigits = text.substr(0, dot);
    if (dot != std::string::npos) decDigits = text.substr(dot + 1);
    while (static_cast<int>(decDigits.size()) > decimalZeros && !decDigits.empty() && decDigits.back() == '0') decDigits.pop_back();
    if (intDigits == "0" && intZeros == 0) intDigits.clear();
    while (static_cast<int>(intDigits.size()) < intZeros) intDigits.insert(intDigits.begin(), '0');
    if (thousands) intDigits = groupThousands(intDigits);

    std::string out;
    bool intDone = false;
    std::size_t decUsed = 0;
    seenDot = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (static_cast<int>(i) == expAt) {
            out += expText;
            ++i;
            while (i + 1 < p.size() && (p[i + 1] == '0' || p[i + 1] == '#')) ++i;
            continue;
        }
        if (c == '\\') {
            if (i + 1 < p.size()) out.push_back(p[++i]);
        } else if (c == '"') {
            while (i + 1 < p.size() && p[++i] != '"') out.push_back(p[i]);
        } else if (c == '0' || c == '#') {
            if (!seenDot) {
                if (!intDone) out += intDigits;
                intDone = true;
            } else if (decUsed < decDigits.size()) {
                out.push_back(decDigits[decUsed++]);
            }
        } else if (c == '.') {
            if (!intDone) out += intDigits;
            intDone = true;
            seenDot = true;
            out.push_back('.');
        } else if (c == ',') {
            // a thousands mark, written with the digits
        } else {
            out.push_back(c);
        }
    }
    const bool nonzero = out.find_first_of("123456789") != std::string::npos;
    if (withSign && v < 0 && nonzero) out.insert(out.begin(), '-');
    return out;
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

bool isDatePattern(std::string_view p) {
    for (char c : p) {
        const char u = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (u == '0' || u == '#') return false;
    }
    for (char c : p) {
        const char u = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (u == 'd' || u == 'y' || u == 'h' || u == 'n' || u == 's' || u == 'm') return true;
    }
    return false;
}

std::string dateText(double serial, std::string_view p) {
    int y, mo, d, h, mi, s;
    basicDateParts(serial, y, mo, d, h, mi, s);
    const bool twelveHour = p.find("AM/PM") != std::string_view::npos || p.find("am/pm") != std::string_view::npos;
    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < p.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(p[i])));
        std::size_t run = 1;
        while (i + run < p.size() && std::tolower(static_cast<unsigned char>(p[i + run])) == c) ++run;
        if (p.substr(i, 5) == "AM/PM" || p.substr(i, 5) == "am/pm") {
            const bool upper = p[i] == 'A';
            out += h < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (c == 'd') {
            if (run == 1) out += std::to_string(d);
            else if (run == 2) out += twoDigits(d);
            else if (run == 3) out += kDays[basicWeekday(serial) - 1].substr(0, 3);
            else out += kDays[basicWeekday(serial) - 1];
        } else if (c == 'm' && afterHour && run <= 2) {
            out += run == 1 ? std::to_string(mi) : twoDigits(mi);
        } else if (c == 'm') {
            if (run == 1) out += std::to_string(mo);
            else if (run == 2) out += twoDigits(mo);
            else if (run == 3) out += kMonths[mo - 1].substr(0, 3);
            else out += kMonths[mo - 1];
        } else if (c == 'y') {
            out += run <= 2 ? twoDigits(y % 100) : std::to_string(y);
        } else if (c == 'h') {
            const int hh = twelveHour ? (h % 12 == 0 ? 12 : h % 12) : h;
            out += run == 1 ? std::to_string(hh) : twoDigits(hh);
        } else if (c == 'n') {
            out += run == 1 ? std::to_string(mi) : twoDigits(mi);
        } else if (c == 's') {
            out += run == 1 ? std::to_string(s) : twoDigits(s);
        } else {
            out.append(p.substr(i, run));
        }
        afterHour = c == 'h' || (afterHour && !std::isalpha(static_cast<unsigned char>(c)));
        i += run;
    }
    return out;
}

}  // namespace

double basicDateSerial(int year, int month, int day) {
    // Days from the civil date (proleptic Gregorian), shifted to the 1899-12-30 epoch.
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yoe = year - era * 400;
    const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era * 146097 + doe - 719468 + 25569);
}

void basicDateParts(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    if (!std::isfinite(serial) || std::fabs(serial) > 3e6) serial = 0;
    double whole = std::floor(serial);
    long seconds = std::lround((serial - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += 1;
    }
    hour = static_cast<int>(seconds / 3600);
    minute = static_cast<int>(seconds / 60 % 60);
    second = static_cast<int>(seconds % 60);
    const long z = static_cast<long>(whole) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int basicWeekday(double serial) {
    const long days = static_cast<long>(std::floor(serial));
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;  // serial 0 was a Saturday
}

std::string basicFormat(const BasicValue& value, std::string_view pattern) {
    if (pattern.empty()) return basicToString(value);
    if (value.type() == BasicType::String) {
        double d = 0;
        if (!basicParseNumber(value.rawString(), d)) return std::string(value.rawString());
    }
    const double v = basicToDouble(value);
    bool done = false;
    std::string text = named(v, pattern, done);
    if (done) return text;
    if (basicNameEquals(pattern, "General Date")) return dateText(v, std::floor(v) == v ? "yyyy-mm-dd" : "yyyy-mm-dd hh:nn:ss");
    if (basicNameEquals(pattern, "Short Date")) return dateText(v, "yyyy-mm-dd");
    if (basicNameEquals(pattern, "Long Time")) return dateText(v, "hh:nn:ss");
    if (basicNameEquals(pattern, "Short Time")) return dateText(v, "hh:nn");
    if (isDatePattern(pattern)) return dateText(v, pattern);
    // Sections: positive;negative;zero.
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    if (v == 0 && sections.size() >= 3 && !sections[2].empty()) return numeric(v, sections[2], false);
    if (v < 0 && sections.size() >= 2 && !sections[1].empty()) return numeric(v, sections[1], false);
    return numeric(v, sections[0], true);
}

}  // namespace kestrune
