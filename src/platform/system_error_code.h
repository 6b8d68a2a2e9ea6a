#pragma once
// A system error as a result code: 0xE0000000 + errno. Its text is the
// system's own reason (strerror), so a failed call reads as the system says.

#include <cstdint>

#include "platform/status.h"

namespace kestrune {

inline constexpr std::uint32_t kSystemErrorBase = 0xE0000000u;
inline constexpr std::uint32_t kSystemErrorMask = 0x0000FFFFu;

constexpr Code systemErrorCode(int error) {
    return static_cast<Code>(kSystemErrorBase | (static_cast<std::uint32_t>(error) & kSystemErrorMask));
}
constexpr bool isSystemErrorCode(Code code) {
    return (static_cast<std::uint32_t>(code) & ~kSystemErrorMask) == kSystemErrorBase;
}
constexpr int systemErrorNumber(Code code) {
    return static_cast<int>(static_cast<std::uint32_t>(code) & kSystemErrorMask);
}

}  // namespace kestrune
