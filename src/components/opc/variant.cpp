#include "components/opc/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <type_traits>

namespace kestrune {
namespace {

bool parseNumber(const std::string& s, double& out) {
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    const char* first = s.data() + b;
    const char* last = s.data() + e + 1;
    if (*first == '+') ++first;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
    out = v;
    return true;
}

template <class T>
bool fitsInteger(double v, T& out) {
    const double r = std::nearbyint(v);
    if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
          r <= static_cast<double>(std::numeric_limits<T>::max())))
        return false;
    out = static_cast<T>(r);
    return true;
}

}  // namespace

Variant Variant::ofType(VarType type) {
    switch (type) {
        case VarType::I2:
            return Variant(std::int16_t{0});
        case VarType::I4:
            return Variant(std::int32_t{0});
        case VarType::R4:
            return Variant(0.0f);
        case VarType::R8:
            return Variant(0.0);
        case VarType::BStr:
            return Variant(std::string());
        case VarType::Bool:
            return Variant(false);
        case VarType::UI2:
            return Variant(std::uint16_t{0});
        case VarType::UI4:
            return Variant(std::uint32_t{0});
        case VarType::Empty:
            break;
    }
    return {};
}

VarType Variant::type() const {
    static constexpr VarType kTypes[] = {VarType::Empty, VarType::I2,  VarType::I4,
                                         VarType::R4,    VarType::R8,  VarType::BStr,
                                         VarType::Bool,  VarType::UI2, VarType::UI4};
    return kTypes[value_.index()];
}

double Variant::toDouble() const {
    return std::visit(
        [](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return 0.0;
            } else if constexpr (std::is_same_v<T, std::string>) {
                double d = 0;
                return parseNumber(v, d) ? d : 0.0;
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? 1.0 : 0.0;
            } else {
                return static_cast<double>(v);
            }
        },
        value_);
}

std::int32_t Variant::toInt32() const {
    if (const auto* i = get<std::int32_t>()) return *i;
    const double d = std::trunc(toDouble());
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (d <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(d);
}

std::string Variant::toString() const {
    if (const auto* s = get<std::string>()) return *s;
    if (empty()) return {};
    if (const auto* b = get<bool>()) return *b ? "1" : "0";
    if (type() == VarType::R4 || type() == VarType::R8) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", toDouble());
        return buf;
    }
    return std::to_string(static_cast<long long>(toDouble()));
}

bool Variant::changeType(VarType target) {
    if (target == type()) return true;
    double d = 0;
    if (const auto* s = get<std::string>()) {
        if (target != VarType::Empty && !parseNumber(*s, d)) return false;
    } else {
        d = toDouble();
    }
    switch (target) {
        case VarType::Empty:
            value_ = std::monostate{};
            return true;
        case VarType::R4:
            if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) return false;
            value_ = static_cast<float>(d);
            return true;
        case VarType::R8:
            value_ = d;
            return true;
        case VarType::Bool:
            value_ = d != 0.0;
            return true;
        case VarType::BStr:
            value_ = toString();
            return true;
        case VarType::I2: {
            std::int16_t v = 0;
            if (!fitsInteger(d, v)) return false;
            value_ = v;
            return true;
        }
        case VarType::I4: {
            std::int32_t v = 0;
            if (!fitsInteger(d, v)) return false;
            value_ = v;
            return true;
        }
        case VarType::UI2: {
            std::uint16_t v = 0;
            if (!fitsInteger(d, v)) return false;
            value_ = v;
            return true;
        }
        case VarType::UI4: {
            std::uint32_t v = 0;
            if (!fitsInteger(d, v)) return false;
            value_ = v;
            return true;
        }
    }
    return false;
}

}  // namespace kestrune
