#include "components/driver/device_list_driver.h"

#include "components/driver/driver_codes.h"

namespace kestrune {

DeviceListDriver::DeviceListDriver(std::filesystem::path deviceListPath, DeviceTypes types)
    : path_(std::move(deviceListPath)), types_(std::move(types)) {
    deviceRebuild();
}

DeviceListDriver::~DeviceListDriver() = default;

Status DeviceListDriver::loadStatus() const {
    std::lock_guard lock(mutex_);
    return loadStatus_;
}

Code DeviceListDriver::deviceRebuild() {
    DeviceList list;
    Status st = loadDeviceList(path_, types_, list);
    std::lock_guard lock(mutex_);
    loadStatus_ = st;
    if (!st.ok()) {
        // Open handles keep their devices; nothing new opens until the file is fixed.
        devices_.clear();
        return st.code;
    }
    std::map<std::int32_t, std::shared_ptr<Device>> devices;
    for (auto& device : list.devices) {
        auto old = devices_.find(device->number());
        // An unchanged device keeps running, so a dialog's rebuild in the middle
        // of a run does not reset the plant an output block is driving.
        if (old != devices_.end() && old->second->section().source == device->section().source)
            devices.emplace(device->number(), old->second);
        else
            devices.emplace(device->number(), std::move(device));
    }
    devices_ = std::move(devices);
    return kOk;
}

Code DeviceListDriver::deviceOpen(std::int32_t deviceNumber, std::uint8_t, DeviceHandle& handle,
                                  std::string& description) {
    handle = 0;
    std::shared_ptr<Device> device;
    {
        std::lock_guard lock(mutex_);
        if (!loadStatus_.ok()) return loadStatus_.code;
        auto it = devices_.find(deviceNumber);
        if (it == devices_.end()) return driverCode(DriverError::DeviceNotFound);
        device = it->second;
    }
    // Opening may take a device's connection time; other handles go on meanwhile.
    if (const Code code = device->open(); code != kOk) return code;
    std::lock_guard lock(mutex_);
    // Handles are not reused, so a stale handle of a closed device stays invalid.
    while (nextHandle_ == 0 || handles_.count(nextHandle_)) ++nextHandle_;
    handle = nextHandle_++;
    handles_.emplace(handle, device);
    description = device->description();
    return kOk;
}

Code DeviceListDriver::deviceClose(DeviceHandle handle) {
    std::shared_ptr<Device> device;
    {
        std::lock_guard lock(mutex_);
        auto it = handles_.find(handle);
        if (it == handles_.end()) return driverCode(DriverError::InvalidHandle);
        device = std::move(it->second);
        handles_.erase(it);
    }
    device->close();
    return kOk;
}

std::shared_ptr<Device> DeviceListDriver::deviceFor(DeviceHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

template <class F>
Code DeviceListDriver::withDevice(DeviceHandle handle, F&& f) {
    auto device = deviceFor(handle);
    if (!device) return driverCode(DriverError::InvalidHandle);
    return f(*device);
}

std::vector<DeviceInfo> DeviceListDriver::deviceList() {
    std::lock_guard lock(mutex_);
    std::vector<DeviceInfo> out;
    for (const auto& [number, d] : devices_) out.push_back({number, d->kind(), d->description()});
    return out;
}

Code DeviceListDriver::boardTypeMapBoardName(std::uint16_t boardType, std::string& name) {
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

Code DeviceListDriver::getErrorMessage(Code code, std::string& text) {
    const Code rc = DeviceDriver::getErrorMessage(code, text);
    if ((code & kDriverCodeMask) == static_cast<Code>(DriverError::DeviceListInvalid) && rc == kOk) {
        const Status st = loadStatus();
        if (!st.ok()) text += " " + st.context;
    }
    return rc;
}

// clang-format off
Code DeviceListDriver::deviceGetFeatures(DeviceHandle h, DeviceFeatures& f) { return withDevice(h, [&](Device& d) { return d.getFeatures(f); }); }
Code DeviceListDriver::aiGetConfig(DeviceHandle h, AiConfig& c) { return withDevice(h, [&](Device& d) { return d.aiGetConfig(c); }); }
Code DeviceListDriver::dioGetConfig(DeviceHandle h, DioConfig& c) { return withDevice(h, [&](Device& d) { return d.dioGetConfig(c); }); }
Code DeviceListDriver::maiConfig(DeviceHandle h, const PT_MAIConfig& p) { return withDevice(h, [&](Device& d) { return d.maiConfig(p); }); }
Code DeviceListDriver::maiVoltageIn(DeviceHandle h, const PT_MAIVoltageIn& p) { return withDevice(h, [&](Device& d) { return d.maiVoltageIn(p); }); }
Code DeviceListDriver::maiVoltageInExp(DeviceHandle h, const PT_MAIVoltageInExp& p) { return withDevice(h, [&](Device& d) { return d.maiVoltageInExp(p); }); }
Code DeviceListDriver::tcMuxRead(DeviceHandle h, const PT_TCMuxRead& p) { return withDevice(h, [&](Device& d) { return d.tcMuxRead(p); }); }
Code DeviceListDriver::aoVoltageOut(DeviceHandle h, const PT_AOVoltageOut& p) { return withDevice(h, [&](Device& d) { return d.aoVoltageOut(p); }); }
Code DeviceListDriver::dioReadPortByte(DeviceHandle h, const PT_DioReadPortByte& p) { return withDevice(h, [&](Device& d) { return d.dioReadPortByte(p); }); }
Code DeviceListDriver::dioWritePortByte(DeviceHandle h, const PT_DioWritePortByte& p) { return withDevice(h, [&](Device& d) { return d.dioWritePortByte(p); }); }
Code DeviceListDriver::counterEventStart(DeviceHandle h, const PT_CounterEventStart& p) { return withDevice(h, [&](Device& d) { return d.counterEventStart(p); }); }
Code DeviceListDriver::counterEventRead(DeviceHandle h, const PT_CounterEventRead& p) { return withDevice(h, [&](Device& d) { return d.counterEventRead(p); }); }
Code DeviceListDriver::counterFreqStart(DeviceHandle h, const PT_CounterFreqStart& p) { return withDevice(h, [&](Device& d) { return d.counterFreqStart(p); }); }
Code DeviceListDriver::counterFreqRead(DeviceHandle h, const PT_CounterFreqRead& p) { return withDevice(h, [&](Device& d) { return d.counterFreqRead(p); }); }
Code DeviceListDriver::counterPulseStart(DeviceHandle h, const PT_CounterPulseStart& p) { return withDevice(h, [&](Device& d) { return d.counterPulseStart(p); }); }
Code DeviceListDriver::counterReset(DeviceHandle h, std::uint16_t c) { return withDevice(h, [&](Device& d) { return d.counterReset(c); }); }
Code DeviceListDriver::alarmConfig(DeviceHandle h, const PT_AlarmConfig& p) { return withDevice(h, [&](Device& d) { return d.alarmConfig(p); }); }
Code DeviceListDriver::alarmEnable(DeviceHandle h, const PT_AlarmEnable& p) { return withDevice(h, [&](Device& d) { return d.alarmEnable(p); }); }
Code DeviceListDriver::alarmCheck(DeviceHandle h, const PT_AlarmCheck& p) { return withDevice(h, [&](Device& d) { return d.alarmCheck(p); }); }
Code DeviceListDriver::alarmReset(DeviceHandle h, std::uint16_t c) { return withDevice(h, [&](Device& d) { return d.alarmReset(c); }); }
Code DeviceListDriver::comWrite(DeviceHandle h, std::string_view data) { return withDevice(h, [&](Device& d) { return d.comWrite(data); }); }
Code DeviceListDriver::comEscape(DeviceHandle h, std::int32_t e) { return withDevice(h, [&](Device& d) { return d.comEscape(e); }); }
// clang-format on

Code DeviceListDriver::comRead(DeviceHandle h, std::span<char> buffer, std::uint32_t size,
                               std::uint32_t waitMs, std::uint16_t finalChar, std::uint32_t& count) {
    count = 0;
    return withDevice(h, [&](Device& d) { return d.comRead(buffer, size, waitMs, finalChar, count); });
}

}  // namespace kestrune
