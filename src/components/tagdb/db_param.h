#pragma once
// The value record exchanged with the tag database, and the tag type codes.
//
// A record describes the caller's side of a transfer: its `type` says how the
// caller holds the value, which need not be the tag's own type (numbers are
// converted, see tag_record.h). A scalar number travels in the record itself;
// an array (type with kTagArray) or a string travels through `value.pData`,
// pointing at caller memory: int16_t, int32_t or float elements, or 128-byte
// character buffers (kTagTextSize) one after the other.

#include <cstdint>

namespace kestrune {

inline constexpr std::uint16_t kTagInt16 = 0;
inline constexpr std::uint16_t kTagInt32 = 1;
inline constexpr std::uint16_t kTagFloat = 2;
inline constexpr std::uint16_t kTagString = 4;
inline constexpr std::uint16_t kTagArray = 0x1000;
inline constexpr std::uint16_t kTagBaseMask = 0x0FFF;
inline constexpr std::uint16_t kTagInt32Array = kTagArray | kTagInt32;    // 4097
inline constexpr std::uint16_t kTagFloatArray = kTagArray | kTagFloat;    // 4098
inline constexpr std::uint16_t kTagStringArray = kTagArray | kTagString;  // 4100

// One string element: at most 127 characters and the terminator.
inline constexpr std::uint16_t kTagTextSize = 128;
inline constexpr std::uint16_t kTagMaxTextLength = kTagTextSize - 1;

constexpr std::uint16_t tagBaseType(std::uint16_t type) {
    return type & kTagBaseMask;
}
constexpr bool isTagArrayType(std::uint16_t type) {
    return (type & kTagArray) != 0;
}
constexpr bool isTagNumberBase(std::uint16_t base) {
    return base == kTagInt16 || base == kTagInt32 || base == kTagFloat;
}
// Only the four base codes, optionally with the array bit, are types.
constexpr bool isValidTagType(std::uint16_t type) {
    const std::uint16_t base = tagBaseType(type);
    return (type & ~(kTagBaseMask | kTagArray)) == 0 && (isTagNumberBase(base) || base == kTagString);
}

struct DB_PARAM {
    std::uint16_t type = kTagInt32;
    std::uint16_t start = 0;  // first element (0 for a whole tag)
    std::uint16_t count = 1;  // elements; only array records use it, scalars move one
    std::uint16_t reserved = 0;
    // The member matching `type`: lVal for 16- and 32-bit integers (a 16-bit
    // value in its low half, sign-extended on read), fVal for a float, pData
    // for arrays and strings.
    union Value {
        std::int32_t lVal;
        float fVal;
        void* pData;
    } value{};

    static DB_PARAM Int(std::int32_t v, std::uint16_t start = 0) {
        DB_PARAM p;
        p.type = kTagInt32;
        p.start = start;
        p.value.lVal = v;
        return p;
    }
    static DB_PARAM Int16(std::int16_t v, std::uint16_t start = 0) {
        DB_PARAM p = Int(v, start);
        p.type = kTagInt16;
        return p;
    }
    static DB_PARAM Float(float v, std::uint16_t start = 0) {
        DB_PARAM p;
        p.type = kTagFloat;
        p.start = start;
        p.value.fVal = v;
        return p;
    }
    // `text` points at a terminated text inside a buffer of kTagTextSize bytes
    // (a read fills such a buffer).
    static DB_PARAM Text(char* text, std::uint16_t start = 0) {
        DB_PARAM p;
        p.type = kTagString;
        p.start = start;
        p.value.pData = text;
        return p;
    }
    // `count` elements of `type`'s base at `data`, starting at element `start` of the tag.
    static DB_PARAM Array(std::uint16_t type, void* data, std::uint16_t count, std::uint16_t start = 0) {
        DB_PARAM p;
        p.type = static_cast<std::uint16_t>(type | kTagArray);
        p.start = start;
        p.count = count;
        p.value.pData = data;
        return p;
    }
};

}  // namespace kestrune
