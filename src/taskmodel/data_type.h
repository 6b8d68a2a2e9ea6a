#pragma once
// Data types carried by ports, output values and tags. One set of bits serves
// all of them: an output port names the type it produces, an input port the
// mask of types it takes, and the two fit when they share a bit.

#include <cstddef>
#include <cstdint>

namespace kestrune {

using DataType = std::uint16_t;

inline constexpr DataType kTypeInteger = 1;  // 32-bit signed; digital values are 0/1
inline constexpr DataType kTypeFloat = 2;    // 32-bit
inline constexpr DataType kTypeString = 4;   // at most kMaxStringLength characters
inline constexpr DataType kTypeArray = 0x1000;
inline constexpr DataType kTypeIntegerArray = kTypeArray | kTypeInteger;
inline constexpr DataType kTypeFloatArray = kTypeArray | kTypeFloat;
inline constexpr DataType kTypeStringArray = kTypeArray | kTypeString;

// Common input masks.
inline constexpr DataType kMaskNumber = kTypeInteger | kTypeFloat;
inline constexpr DataType kMaskScalar = kTypeInteger | kTypeFloat | kTypeString;

// A string value holds at most 127 characters; buffers add the terminator.
inline constexpr std::size_t kMaxStringLength = 127;
inline constexpr std::size_t kStringBufferSize = kMaxStringLength + 1;

// Whether an input whose accepted mask is `mask` takes an output of `type`.
constexpr bool acceptsType(DataType mask, DataType type) {
    return (mask & type) != 0;
}

constexpr bool isArrayType(DataType type) {
    return (type & kTypeArray) != 0;
}

// The element type of a value, array flag removed.
constexpr DataType elementType(DataType type) {
    return static_cast<DataType>(type & ~kTypeArray);
}

}  // namespace kestrune
