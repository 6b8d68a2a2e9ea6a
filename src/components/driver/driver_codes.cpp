#include "components/driver/driver_codes.h"

#include <cstdint>

namespace kestrune {
namespace {

const char* textOf(Code n) {
    switch (static_cast<DriverError>(n)) {
        case DriverError::InvalidHandle:
            return "The device handle is not valid (device not open).";
        case DriverError::DeviceNotFound:
            return "The device number is not in the device list.";
        case DriverError::DeviceListInvalid:
            return "The device list file is invalid.";
        case DriverError::InvalidChannel:
            return "The channel number is out of range for this device.";
        case DriverError::InvalidParameter:
            return "An invalid parameter was passed to the device driver.";
        case DriverError::BufferTooSmall:
            return "The data buffer is too small for the requested channels.";
        case DriverError::InvalidPort:
            return "The digital port number is out of range for this device.";
        case DriverError::PortNotWritable:
            return "The digital port is configured as input only.";
        case DriverError::InvalidGain:
            return "The input range (gain code) is not valid for this device.";
        case DriverError::InvalidCounter:
            return "The counter channel is out of range for this device.";
        case DriverError::CounterNotStarted:
            return "The counter has not been started in this mode.";
        case DriverError::InvalidAlarmChannel:
            return "The alarm channel is out of range for this device.";
        case DriverError::InvalidThermocoupleType:
            return "The thermocouple type is not valid.";
        case DriverError::NoThermocouple:
            return "No thermocouple is connected to this channel.";
        case DriverError::FunctionNotSupported:
            return "This function is not supported by the device.";
        case DriverError::ComOverflow:
            return "The COM port receive buffer overflowed; old data was dropped.";
        case DriverError::InvalidEscape:
            return "The COM port escape code is not valid.";
        case DriverError::InvalidExpansionChannel:
            return "The expansion channel or board ID is out of range for this channel.";
        case DriverError::InvalidPulseTiming:
            return "The pulse period must be positive and the first half cycle shorter than the period.";
        case DriverError::InvalidTemperatureScale:
            return "The temperature scale is not valid.";
        case DriverError::UnknownBackend:
            return "The device driver backend is unknown.";
        case DriverError::NotComPort:
            return "The selected device is not a COM port.";
        case DriverError::NoAnalogInput:
            return "The device has no analog input channels.";
        case DriverError::NoAnalogOutput:
            return "The device has no analog output channels.";
        case DriverError::NoDigitalInput:
            return "The device has no digital input channels.";
        case DriverError::NoDigitalOutput:
            return "The device has no digital output channels.";
        case DriverError::NoAlarm:
            return "The device has no hardware alarm channels.";
        case DriverError::NoCounter:
            return "The device has no counter channels.";
        case DriverError::NoThermocoupleInput:
            return "The device has no analog input channels for temperature.";
    }
    return nullptr;
}

}  // namespace

bool isDriverCode(Code code) {
    const auto u = static_cast<std::uint32_t>(code);
    const std::uint32_t high = u & ~static_cast<std::uint32_t>(kDriverCodeMask);
    if (high != 0 && high != static_cast<std::uint32_t>(kDriverCodeBase)) return false;
    return textOf(static_cast<Code>(u & kDriverCodeMask)) != nullptr;
}

std::string driverErrorText(Code code) {
    if (!isDriverCode(code)) return {};
    return textOf(code & kDriverCodeMask);
}

}  // namespace kestrune
