#include "app/text_format.h"

#include <cstdio>

namespace kestrune {
namespace {

// Length of the conversion starting at format[i] (just after the '%'), or 0
// when it is not one the templates use.
std::size_t conversionLength(std::string_view format, std::size_t i) {
    if (i >= format.size()) return 0;
    const char c = format[i];
    if (c == 's' || c == 'd' || c == 'i' || c == 'u') return 1;
    if (c == 'l' && i + 1 < format.size() && (format[i + 1] == 'd' || format[i + 1] == 'u')) return 2;
    return 0;
}

}  // namespace

std::string formatText(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        const std::size_t n = conversionLength(format, i + 1);
        if (n == 0) {
            out += '%';
            continue;
        }
        if (next != args.end()) out += *next++;
        i += n;
    }
    return out;
}

std::string eventDateText(const std::tm& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
    return buf;
}

std::string eventTimeText(const std::tm& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

}  // namespace kestrune
