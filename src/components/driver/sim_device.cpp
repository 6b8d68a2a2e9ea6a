#include "components/driver/sim_device.h"

#include "components/driver/driver_codes.h"
#include "components/driver/sim_board.h"
#include "components/driver/sim_com_port.h"

namespace kestrune {
namespace {

constexpr Code kNotSupported = driverCode(DriverError::FunctionNotSupported);

}  // namespace

Code SimDevice::getFeatures(DeviceFeatures& f) {
    f = DeviceFeatures{};
    f.boardName = entry_.description;
    return kOk;
}

Code SimDevice::aiGetConfig(AiConfig& c) {
    c = AiConfig{};
    return kOk;
}

Code SimDevice::dioGetConfig(DioConfig& c) {
    c = DioConfig{};
    return kOk;
}

Code SimDevice::maiConfig(const PT_MAIConfig&) {
    return kNotSupported;
}
Code SimDevice::maiVoltageIn(const PT_MAIVoltageIn&) {
    return kNotSupported;
}
Code SimDevice::maiVoltageInExp(const PT_MAIVoltageInExp&) {
    return kNotSupported;
}
Code SimDevice::tcMuxRead(const PT_TCMuxRead&) {
    return kNotSupported;
}
Code SimDevice::aoVoltageOut(const PT_AOVoltageOut&) {
    return kNotSupported;
}
Code SimDevice::dioReadPortByte(const PT_DioReadPortByte&) {
    return kNotSupported;
}
Code SimDevice::dioWritePortByte(const PT_DioWritePortByte&) {
    return kNotSupported;
}
Code SimDevice::counterEventStart(const PT_CounterEventStart&) {
    return kNotSupported;
}
Code SimDevice::counterEventRead(const PT_CounterEventRead&) {
    return kNotSupported;
}
Code SimDevice::counterFreqStart(const PT_CounterFreqStart&) {
    return kNotSupported;
}
Code SimDevice::counterFreqRead(const PT_CounterFreqRead&) {
    return kNotSupported;
}
Code SimDevice::counterPulseStart(const PT_CounterPulseStart&) {
    return kNotSupported;
}
Code SimDevice::counterReset(std::uint16_t) {
    return kNotSupported;
}
Code SimDevice::alarmConfig(const PT_AlarmConfig&) {
    return kNotSupported;
}
Code SimDevice::alarmEnable(const PT_AlarmEnable&) {
    return kNotSupported;
}
Code SimDevice::alarmCheck(const PT_AlarmCheck&) {
    return kNotSupported;
}
Code SimDevice::alarmReset(std::uint16_t) {
    return kNotSupported;
}
Code SimDevice::comRead(std::span<char>, std::uint32_t, std::uint32_t, std::uint16_t, std::uint32_t& count) {
    count = 0;
    return kNotSupported;
}
Code SimDevice::comWrite(std::string_view) {
    return kNotSupported;
}
Code SimDevice::comEscape(std::int32_t) {
    return kNotSupported;
}

std::shared_ptr<SimDevice> makeSimDevice(const DeviceEntry& entry, std::shared_ptr<const SimClock> clock) {
    if (entry.type == DeviceType::ComPort) return std::make_shared<SimComPort>(entry, std::move(clock));
    return std::make_shared<SimBoard>(entry, std::move(clock));
}

}  // namespace kestrune
