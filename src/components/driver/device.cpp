#include "components/driver/device.h"

#include "components/driver/driver_codes.h"

namespace kestrune {
namespace {

constexpr Code kNotSupported = driverCode(DriverError::FunctionNotSupported);

}  // namespace

Code Device::getFeatures(DeviceFeatures& f) {
    f = DeviceFeatures{};
    f.boardName = description();
    return kOk;
}

Code Device::aiGetConfig(AiConfig& c) {
    c = AiConfig{};
    return kOk;
}

Code Device::dioGetConfig(DioConfig& c) {
    c = DioConfig{};
    return kOk;
}

Code Device::maiConfig(const PT_MAIConfig&) {
    return kNotSupported;
}
Code Device::maiVoltageIn(const PT_MAIVoltageIn&) {
    return kNotSupported;
}
Code Device::maiVoltageInExp(const PT_MAIVoltageInExp&) {
    return kNotSupported;
}
Code Device::tcMuxRead(const PT_TCMuxRead&) {
    return kNotSupported;
}
Code Device::aoVoltageOut(const PT_AOVoltageOut&) {
    return kNotSupported;
}
Code Device::dioReadPortByte(const PT_DioReadPortByte&) {
    return kNotSupported;
}
Code Device::dioWritePortByte(const PT_DioWritePortByte&) {
    return kNotSupported;
}
Code Device::counterEventStart(const PT_CounterEventStart&) {
    return kNotSupported;
}
Code Device::counterEventRead(const PT_CounterEventRead&) {
    return kNotSupported;
}
Code Device::counterFreqStart(const PT_CounterFreqStart&) {
    return kNotSupported;
}
Code Device::counterFreqRead(const PT_CounterFreqRead&) {
    return kNotSupported;
}
Code Device::counterPulseStart(const PT_CounterPulseStart&) {
    return kNotSupported;
}
Code Device::counterReset(std::uint16_t) {
    return kNotSupported;
}
Code Device::alarmConfig(const PT_AlarmConfig&) {
    return kNotSupported;
}
Code Device::alarmEnable(const PT_AlarmEnable&) {
    return kNotSupported;
}
Code Device::alarmCheck(const PT_AlarmCheck&) {
    return kNotSupported;
}
Code Device::alarmReset(std::uint16_t) {
    return kNotSupported;
}
Code Device::comRead(std::span<char>, std::uint32_t, std::uint32_t, std::uint16_t, std::uint32_t& count) {
    count = 0;
    return kNotSupported;
}
Code Device::comWrite(std::string_view) {
    return kNotSupported;
}
Code Device::comEscape(std::int32_t) {
    return kNotSupported;
}

}  // namespace kestrune
