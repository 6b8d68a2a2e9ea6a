#pragma once
// CRC-32 as in IEEE 802.3, zlib and PNG (reflected polynomial 0xEDB88320,
// initial value and final mask 0xFFFFFFFF): crc32("123456789") == 0xCBF43926.

#include <cstdint>
#include <span>

namespace kestrune {

// Continues `crc` (the result of an earlier call, 0 to start) over `data`.
std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0) noexcept;

}  // namespace kestrune
