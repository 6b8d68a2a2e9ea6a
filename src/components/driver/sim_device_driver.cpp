#include "components/driver/sim_device_driver.h"

#include "components/driver/driver_codes.h"
#include "components/driver/sim_device.h"
#include "platform/system_directory.h"

namespace kestrune {

SimDeviceDriver::SimDeviceDriver()
    : SimDeviceDriver(systemDirectory() / kDeviceListFileName, std::make_shared<SteadySimClock>()) {}

SimDeviceDriver::SimDeviceDriver(std::filesystem::path deviceListPath, std::shared_ptr<const SimClock> clock)
    : path_(std::move(deviceListPath)), clock_(std::move(clock)) {
    deviceRebuild();
}

SimDeviceDriver::~SimDeviceDriver() = default;

Status SimDeviceDriver::loadStatus() const {
    std::lock_guard lock(mutex_);
    return loadStatus_;
}

Code SimDeviceDriver::deviceRebuild() {
    DeviceList list;
    Status st = loadDeviceList(path_, list);
    std::lock_guard lock(mutex_);
    loadStatus_ = st;
    if (!st.ok()) {
        // Open handles keep their devices; nothing new opens until the file is fixed.
        devices_.clear();
        return st.code;
    }
    std::map<std::int32_t, std::shared_ptr<SimDevice>> devices;
    for (const auto& e : list.devices) {
        auto old = devices_.find(e.number);
        // An unchanged device keeps running, so a dialog's rebuild in the middle
        // of a run does not reset the plant an output block is driving.
        if (old != devices_.end() && old->second->entry().source == e.source)
            devices.emplace(e.number, old->second);
        else
            devices.emplace(e.number, makeSimDevice(e, clock_));
    }
    devices_ = std::move(devices);
    return kOk;
}

Code SimDeviceDriver::deviceOpen(std::int32_t deviceNumber, std::uint8_t, DeviceHandle& handle,
                                 std::string& description) {
    handle = 0;
    std::lock_guard lock(mutex_);
    if (!loadStatus_.ok()) return loadStatus_.code;
    auto it = devices_.find(deviceNumber);
    if (it == devices_.end()) return driverCode(DriverError::DeviceNotFound);
    // Handles are not reused, so a stale handle of a closed device stays invalid.
    while (nextHandle_ == 0 || handles_.count(nextHandle_)) ++nextHandle_;
    handle = nextHandle_++;
    handles_.emplace(handle, it->second);
    description = it->second->entry().description;
    return kOk;
}

Code SimDeviceDriver::deviceClose(DeviceHandle handle) {
    std::lock_guard lock(mutex_);
    return handles_.erase(handle) ? kOk : driverCode(DriverError::InvalidHandle);
}

std::shared_ptr<SimDevice> SimDeviceDriver::deviceFor(DeviceHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

template <class F>
Code SimDeviceDriver::withDevice(DeviceHandle handle, F&& f) {
    auto device = deviceFor(handle);
    if (!device) return driverCode(DriverError::InvalidHandle);
    return f(*device);
}

std::vector<DeviceInfo> SimDeviceDriver::deviceList() {
    std::lock_guard lock(mutex_);
    std::vector<DeviceInfo> out;
    for (const auto& [number, d] : devices_) out.push_back({number, d->entry().kind, d->entry().description});
    return out;
}

Code SimDeviceDriver::boardTypeMapBoardName(std::uint16_t boardType, std::string& name) {
    switch (boardType) {
        case 0:
            name = "No expansion board";
            break;
        case 259:
            name = "Thermocouple expansion board";
            break;
        case 261:
            name = "Multiplexer expansion board";
            break;
        case 262:
            name = "Strain gauge expansion board";
            break;
        case 263:
            name = "Signal conditioning expansion board";
            break;
        default:
            name = "Expansion board " + std::to_string(boardType);
            break;
    }
    return kOk;
}

Code SimDeviceDriver::getErrorMessage(Code code, std::string& text) {
    const Code rc = DeviceDriver::getErrorMessage(code, text);
    if ((code & kDriverCodeMask) == static_cast<Code>(DriverError::DeviceListInvalid) && rc == kOk) {
        const Status st = loadStatus();
        if (!st.ok()) text += " " + st.context;
    }
    return rc;
}

// clang-format off
Code SimDeviceDriver::deviceGetFeatures(DeviceHandle h, DeviceFeatures& f) { return withDevice(h, [&](SimDevice& d) { return d.getFeatures(f); }); }
Code SimDeviceDriver::aiGetConfig(DeviceHandle h, AiConfig& c) { return withDevice(h, [&](SimDevice& d) { return d.aiGetConfig(c); }); }
Code SimDeviceDriver::dioGetConfig(DeviceHandle h, DioConfig& c) { return withDevice(h, [&](SimDevice& d) { return d.dioGetConfig(c); }); }
Code SimDeviceDriver::maiConfig(DeviceHandle h, const PT_MAIConfig& p) { return withDevice(h, [&](SimDevice& d) { return d.maiConfig(p); }); }
Code SimDeviceDriver::maiVoltageIn(DeviceHandle h, const PT_MAIVoltageIn& p) { return withDevice(h, [&](SimDevice& d) { return d.maiVoltageIn(p); }); }
Code SimDeviceDriver::maiVoltageInExp(DeviceHandle h, const PT_MAIVoltageInExp& p) { return withDevice(h, [&](SimDevice& d) { return d.maiVoltageInExp(p); }); }
Code SimDeviceDriver::tcMuxRead(DeviceHandle h, const PT_TCMuxRead& p) { return withDevice(h, [&](SimDevice& d) { return d.tcMuxRead(p); }); }
Code SimDeviceDriver::aoVoltageOut(DeviceHandle h, const PT_AOVoltageOut& p) { return withDevice(h, [&](SimDevice& d) { return d.aoVoltageOut(p); }); }
Code SimDeviceDriver::dioReadPortByte(DeviceHandle h, const PT_DioReadPortByte& p) { return withDevice(h, [&](SimDevice& d) { return d.dioReadPortByte(p); }); }
Code SimDeviceDriver::dioWritePortByte(DeviceHandle h, const PT_DioWritePortByte& p) { return withDevice(h, [&](SimDevice& d) { return d.dioWritePortByte(p); }); }
Code SimDeviceDriver::counterEventStart(DeviceHandle h, const PT_CounterEventStart& p) { return withDevice(h, [&](SimDevice& d) { return d.counterEventStart(p); }); }
Code SimDeviceDriver::counterEventRead(DeviceHandle h, const PT_CounterEventRead& p) { return withDevice(h, [&](SimDevice& d) { return d.counterEventRead(p); }); }
Code SimDeviceDriver::counterFreqStart(DeviceHandle h, const PT_CounterFreqStart& p) { return withDevice(h, [&](SimDevice& d) { return d.counterFreqStart(p); }); }
Code SimDeviceDriver::counterFreqRead(DeviceHandle h, const PT_CounterFreqRead& p) { return withDevice(h, [&](SimDevice& d) { return d.counterFreqRead(p); }); }
Code SimDeviceDriver::counterPulseStart(DeviceHandle h, const PT_CounterPulseStart& p) { return withDevice(h, [&](SimDevice& d) { return d.counterPulseStart(p); }); }
Code SimDeviceDriver::counterReset(DeviceHandle h, std::uint16_t c) { return withDevice(h, [&](SimDevice& d) { return d.counterReset(c); }); }
Code SimDeviceDriver::alarmConfig(DeviceHandle h, const PT_AlarmConfig& p) { return withDevice(h, [&](SimDevice& d) { return d.alarmConfig(p); }); }
Code SimDeviceDriver::alarmEnable(DeviceHandle h, const PT_AlarmEnable& p) { return withDevice(h, [&](SimDevice& d) { return d.alarmEnable(p); }); }
Code SimDeviceDriver::alarmCheck(DeviceHandle h, const PT_AlarmCheck& p) { return withDevice(h, [&](SimDevice& d) { return d.alarmCheck(p); }); }
Code SimDeviceDriver::alarmReset(DeviceHandle h, std::uint16_t c) { return withDevice(h, [&](SimDevice& d) { return d.alarmReset(c); }); }
Code SimDeviceDriver::comWrite(DeviceHandle h, std::string_view data) { return withDevice(h, [&](SimDevice& d) { return d.comWrite(data); }); }
Code SimDeviceDriver::comEscape(DeviceHandle h, std::int32_t e) { return withDevice(h, [&](SimDevice& d) { return d.comEscape(e); }); }
// clang-format on

Code SimDeviceDriver::comRead(DeviceHandle h, std::span<char> buffer, std::uint32_t size,
                              std::uint32_t waitMs, std::uint16_t finalChar, std::uint32_t& count) {
    count = 0;
    return withDevice(h, [&](SimDevice& d) { return d.comRead(buffer, size, waitMs, finalChar, count); });
}

}  // namespace kestrune
