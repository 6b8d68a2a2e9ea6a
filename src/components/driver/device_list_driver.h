#pragma once
// The driver over the device list: one Device object per entry, of any
// registered type, and every call on a handle dispatched to the device the
// handle was opened on. The driver knows no device type; the types it was
// given make the devices.
//
// Devices are made when the list is read and live on while closed, as real
// boards keep their outputs: a plant keeps moving and an output latch keeps its
// value from one run to the next. Several handles may be open on one device at
// once (an input block and an output block on the same board share it). The
// handle table has its own short lock; each device's state has its device's.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "components/driver/device.h"
#include "components/driver/device_driver.h"
#include "components/driver/device_list.h"
#include "components/driver/device_types.h"

namespace kestrune {

class DeviceListDriver final : public DeviceDriver {
  public:
    // Reads the list at `deviceListPath` (created with the default devices
    // when missing); its sections become devices through `types`.
    DeviceListDriver(std::filesystem::path deviceListPath, DeviceTypes types);
    ~DeviceListDriver() override;

    // How the last reading of the list went. While it failed, no device can
    // be opened and deviceOpen returns the list's code.
    Status loadStatus() const;
    const std::filesystem::path& deviceListPath() const { return path_; }

    Code deviceOpen(std::int32_t deviceNumber, std::uint8_t kind, DeviceHandle& handle,
                    std::string& description) override;
    Code deviceClose(DeviceHandle handle) override;
    Code deviceGetFeatures(DeviceHandle handle, DeviceFeatures& features) override;
    Code aiGetConfig(DeviceHandle handle, AiConfig& config) override;
    Code dioGetConfig(DeviceHandle handle, DioConfig& config) override;
    std::vector<DeviceInfo> deviceList() override;
    Code deviceRebuild() override;
    Code boardTypeMapBoardName(std::uint16_t boardType, std::string& name) override;
    using DeviceDriver::getErrorMessage;
    Code getErrorMessage(Code code, std::string& text) override;

    Code maiConfig(DeviceHandle handle, const PT_MAIConfig& p) override;
    Code maiVoltageIn(DeviceHandle handle, const PT_MAIVoltageIn& p) override;
    Code maiVoltageInExp(DeviceHandle handle, const PT_MAIVoltageInExp& p) override;
    Code tcMuxRead(DeviceHandle handle, const PT_TCMuxRead& p) override;
    Code aoVoltageOut(DeviceHandle handle, const PT_AOVoltageOut& p) override;
    Code dioReadPortByte(DeviceHandle handle, const PT_DioReadPortByte& p) override;
    Code dioWritePortByte(DeviceHandle handle, const PT_DioWritePortByte& p) override;
    Code counterEventStart(DeviceHandle handle, const PT_CounterEventStart& p) override;
    Code counterEventRead(DeviceHandle handle, const PT_CounterEventRead& p) override;
    Code counterFreqStart(DeviceHandle handle, const PT_CounterFreqStart& p) override;
    Code counterFreqRead(DeviceHandle handle, const PT_CounterFreqRead& p) override;
    Code counterPulseStart(DeviceHandle handle, const PT_CounterPulseStart& p) override;
    Code counterReset(DeviceHandle handle, std::uint16_t counter) override;
    Code alarmConfig(DeviceHandle handle, const PT_AlarmConfig& p) override;
    Code alarmEnable(DeviceHandle handle, const PT_AlarmEnable& p) override;
    Code alarmCheck(DeviceHandle handle, const PT_AlarmCheck& p) override;
    Code alarmReset(DeviceHandle handle, std::uint16_t chan) override;
    Code comRead(DeviceHandle handle, std::span<char> buffer, std::uint32_t size, std::uint32_t waitMs,
                 std::uint16_t finalChar, std::uint32_t& count) override;
    Code comWrite(DeviceHandle handle, std::string_view data) override;
    Code comEscape(DeviceHandle handle, std::int32_t escape) override;

    // The device behind an open handle (null when not open): tests and
    // diagnostics look at a board's outputs through it.
    std::shared_ptr<Device> deviceFor(DeviceHandle handle);

  private:
    template <class F>
    Code withDevice(DeviceHandle handle, F&& f);

    const std::filesystem::path path_;
    const DeviceTypes types_;

    mutable std::mutex mutex_;  // guards the members below, never held during a device call
    Status loadStatus_;
    std::map<std::int32_t, std::shared_ptr<Device>> devices_;
    std::unordered_map<DeviceHandle, std::shared_ptr<Device>> handles_;
    DeviceHandle nextHandle_ = 1;
};

}  // namespace kestrune
