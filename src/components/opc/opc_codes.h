#pragma once
// Result codes of the OPC client: kOpcCodeBase + n with n from 0x401 to 0x7FF.
// Like the driver's codes (driver_codes.h) they keep their meaning when a
// block masks a failed scan's code to 12 bits, and the two sets never meet.
// Bad item quality is not a code: itemQualityCheck reports it through its
// good flag, and the scan engine reports it as its own code 15.

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace kestrune {

inline constexpr Code kOpcCodeBase = 0x20000;
inline constexpr Code kOpcCodeMask = 0xFFF;

enum class OpcError : Code {
    ServerNotFound = 0x401,
    ItemNotFound = 0x402,
    InvalidItemHandle = 0x403,
    InvalidTaskHandle = 0x404,
    ItemReadOnly = 0x405,
    TypeMismatch = 0x406,
    InvalidParameter = 0x407,
    UnknownBackend = 0x408,
};

constexpr Code opcCode(OpcError e) {
    return kOpcCodeBase + static_cast<Code>(e);
}

// True for an OPC code, full or masked to 12 bits.
bool isOpcCode(Code code);
// Its text; empty when the code is not one.
std::string opcErrorText(Code code);

// OPC quality words (the low byte): good is 0xC0..0xFF.
inline constexpr std::uint16_t kQualityGood = 0xC0;
inline constexpr std::uint16_t kQualityBad = 0x00;
inline constexpr std::uint16_t kQualityNotConnected = 0x08;
inline constexpr std::uint16_t kQualityCommFailure = 0x18;
inline constexpr std::uint16_t kQualityUncertain = 0x40;

bool qualityIsGood(std::uint16_t quality);
// "Good", "Bad (communication failure)", "Uncertain (last usable value)"...
std::string qualityText(std::uint16_t quality);

}  // namespace kestrune
