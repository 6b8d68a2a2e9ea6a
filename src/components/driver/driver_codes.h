#pragma once
// Result codes of the device driver.
//
// A driver call returns kDriverCodeBase + n, where n (1..1023) names the fault.
// Blocks hand a failed scan's code on masked to its low 12 bits, so n alone
// must still identify the fault: the base is a multiple of 4096 and n never
// takes the values the scan engine gives a meaning of its own (4, 5, 12, 15).
// Both forms are above the program's own message ids (10001..59999) or below
// them, never inside. OPC codes use another base and n from 1024 up, so a
// masked OPC code is never mistaken for a driver one.
//
// Codes 305..312 are what the I/O blocks return themselves when a device lacks
// the channels they need; the driver only supplies their texts.

#include <string>

#include "platform/status.h"

namespace kestrune {

inline constexpr Code kDriverCodeBase = 0x10000;
inline constexpr Code kDriverCodeMask = 0xFFF;

enum class DriverError : Code {
    InvalidHandle = 1,
    DeviceNotFound = 2,  // the blocks offer to forget the device on this one
    DeviceListInvalid = 3,
    InvalidChannel = 6,
    InvalidParameter = 7,
    BufferTooSmall = 8,
    InvalidPort = 9,
    PortNotWritable = 10,
    InvalidGain = 11,
    InvalidCounter = 13,
    CounterNotStarted = 14,
    InvalidAlarmChannel = 16,
    InvalidThermocoupleType = 17,
    NoThermocouple = 18,
    FunctionNotSupported = 19,
    ComOverflow = 20,
    InvalidEscape = 21,
    InvalidExpansionChannel = 22,
    InvalidPulseTiming = 23,
    InvalidTemperatureScale = 24,
    UnknownBackend = 25,
    NotComPort = 305,
    NoAnalogInput = 306,
    NoAnalogOutput = 307,
    NoDigitalInput = 308,
    NoDigitalOutput = 309,
    NoAlarm = 310,
    NoCounter = 311,
    NoThermocoupleInput = 312,
};

// The full code a driver call returns.
constexpr Code driverCode(DriverError e) {
    return kDriverCodeBase + static_cast<Code>(e);
}

// True for a driver code in its full form, masked to 12 bits, or one of the
// plain numbers 305..312.
bool isDriverCode(Code code);

// The text of a driver code; empty when the code is not one.
std::string driverErrorText(Code code);

}  // namespace kestrune
