#pragma once
// Number conversions between a caller's element and a tag's stored word.
// A number tag stores each element as one 32-bit word: the integer itself for
// 16- and 32-bit tags (a 16-bit tag keeps it sign-extended from its low 16
// bits, as a 16-bit store would), the float's bits for float tags.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "components/tagdb/db_param.h"

namespace kestrune::tagconv {

// Truncates toward zero like a C cast, but saturates instead of being
// undefined outside the 32-bit range; NaN becomes 0.
inline std::int32_t floatToInt(float f) noexcept {
    if (std::isnan(f)) return 0;
    if (f >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    if (f <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(f);
}

inline std::uint32_t fromInt(std::uint16_t tagBase, std::int32_t v) noexcept {
    if (tagBase == kTagFloat) return std::bit_cast<std::uint32_t>(static_cast<float>(v));
    if (tagBase == kTagInt16) v = static_cast<std::int16_t>(v);
    return static_cast<std::uint32_t>(v);
}

inline std::uint32_t fromFloat(std::uint16_t tagBase, float f) noexcept {
    return tagBase == kTagFloat ? std::bit_cast<std::uint32_t>(f) : fromInt(tagBase, floatToInt(f));
}

inline std::int32_t toInt(std::uint16_t tagBase, std::uint32_t word) noexcept {
    return tagBase == kTagFloat ? floatToInt(std::bit_cast<float>(word)) : static_cast<std::int32_t>(word);
}

inline float toFloat(std::uint16_t tagBase, std::uint32_t word) noexcept {
    return tagBase == kTagFloat ? std::bit_cast<float>(word)
                                : static_cast<float>(static_cast<std::int32_t>(word));
}

// Element i of a caller array of base type `recBase` (not necessarily aligned).
inline std::uint32_t loadElement(std::uint16_t tagBase, std::uint16_t recBase, const void* data,
                                 std::size_t i) noexcept {
    const auto* bytes = static_cast<const unsigned char*>(data);
    switch (recBase) {
        case kTagInt16: {
            std::int16_t v;
            std::memcpy(&v, bytes + i * sizeof v, sizeof v);
            return fromInt(tagBase, v);
        }
        case kTagInt32: {
            std::int32_t v;
            std::memcpy(&v, bytes + i * sizeof v, sizeof v);
            return fromInt(tagBase, v);
        }
        default: {
            float v;
            std::memcpy(&v, bytes + i * sizeof v, sizeof v);
            return fromFloat(tagBase, v);
        }
    }
}

inline void storeElement(std::uint16_t tagBase, std::uint16_t recBase, std::uint32_t word, void* data,
                         std::size_t i) noexcept {
    auto* bytes = static_cast<unsigned char*>(data);
    switch (recBase) {
        case kTagInt16: {
            const auto v = static_cast<std::int16_t>(toInt(tagBase, word));
            std::memcpy(bytes + i * sizeof v, &v, sizeof v);
            break;
        }
        case kTagInt32: {
            const std::int32_t v = toInt(tagBase, word);
            std::memcpy(bytes + i * sizeof v, &v, sizeof v);
            break;
        }
        default: {
            const float v = toFloat(tagBase, word);
            std::memcpy(bytes + i * sizeof v, &v, sizeof v);
            break;
        }
    }
}

// The record's own scalar (not an array record).
inline std::uint32_t loadScalar(std::uint16_t tagBase, const DB_PARAM& p) noexcept {
    switch (tagBaseType(p.type)) {
        case kTagInt16:
            return fromInt(tagBase, static_cast<std::int16_t>(p.value.lVal));
        case kTagInt32:
            return fromInt(tagBase, p.value.lVal);
        default:
            return fromFloat(tagBase, p.value.fVal);
    }
}

inline void storeScalar(std::uint16_t tagBase, std::uint32_t word, DB_PARAM& p) noexcept {
    switch (tagBaseType(p.type)) {
        case kTagInt16:
            p.value.lVal = static_cast<std::int16_t>(toInt(tagBase, word));
            break;
        case kTagInt32:
            p.value.lVal = toInt(tagBase, word);
            break;
        default:
            p.value.fVal = toFloat(tagBase, word);
            break;
    }
}

}  // namespace kestrune::tagconv
