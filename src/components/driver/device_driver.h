#pragma once
// The device driver: every hardware call the program makes goes through one
// object of this interface, created at start-up. Each method is one driver
// operation (deviceOpen is the open call, maiVoltageIn the multi-channel
// analog read and so on) and returns 0 or a code of driver_codes.h.
//
// Behind it sit the devices of the device list, one object per entry, of
// whatever types the list names (DeviceListDriver); a block never knows which
// type answers it.
//
// Every method may be called from several task threads at once.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "components/driver/driver_params.h"
#include "platform/status.h"

namespace kestrune {

class UserInterface;

class DeviceDriver {
  public:
    virtual ~DeviceDriver() = default;

    // Where the selection dialog and the error box go; null (the default)
    // makes deviceSelect answer "not chosen" and errorMessageBox silent.
    void setUserInterface(UserInterface* ui) { ui_.store(ui); }
    UserInterface* userInterface() const { return ui_.load(); }

    // ---- Devices ----
    // `description` receives the device's description text.
    virtual Code deviceOpen(std::int32_t deviceNumber, std::uint8_t kind, DeviceHandle& handle,
                            std::string& description) = 0;
    virtual Code deviceClose(DeviceHandle handle) = 0;
    virtual Code deviceGetFeatures(DeviceHandle handle, DeviceFeatures& features) = 0;
    virtual Code aiGetConfig(DeviceHandle handle, AiConfig& config) = 0;
    virtual Code dioGetConfig(DeviceHandle handle, DioConfig& config) = 0;
    // Every device the backend offers, for selection lists.
    virtual std::vector<DeviceInfo> deviceList() = 0;
    // Asks the user to pick a device, starting from `deviceNumber` (-1 none).
    // Returns 1 and fills the three values when one was chosen, else 0.
    virtual int deviceSelect(std::int32_t& deviceNumber, std::uint8_t& kind, std::string& description);
    // Re-reads the device configuration (the device list file).
    virtual Code deviceRebuild() = 0;
    virtual Code boardTypeMapBoardName(std::uint16_t boardType, std::string& name) = 0;

    // ---- Errors ----
    // Both forms fill `text` for any code; they return 0 when the code is a
    // driver code, else DriverError::InvalidParameter.
    virtual Code getErrorMessage(Code code, std::string& text);
    virtual Code getErrorMessage(std::int32_t deviceNumber, std::uint8_t kind, Code code, std::string& text);
    // Shows the code's text followed by `context` (" : task, block").
    virtual void errorMessageBox(Code code, std::string_view context);
    // Non-zero when `code` is one of the driver's (full or masked to 12 bits).
    virtual int checkErrorCode(Code code);

    // ---- Analog input ----
    virtual Code maiConfig(DeviceHandle handle, const PT_MAIConfig& p) = 0;
    virtual Code maiVoltageIn(DeviceHandle handle, const PT_MAIVoltageIn& p) = 0;
    virtual Code maiVoltageInExp(DeviceHandle handle, const PT_MAIVoltageInExp& p) = 0;
    virtual Code tcMuxRead(DeviceHandle handle, const PT_TCMuxRead& p) = 0;

    // ---- Analog output and digital ports ----
    virtual Code aoVoltageOut(DeviceHandle handle, const PT_AOVoltageOut& p) = 0;
    virtual Code dioReadPortByte(DeviceHandle handle, const PT_DioReadPortByte& p) = 0;
    virtual Code dioWritePortByte(DeviceHandle handle, const PT_DioWritePortByte& p) = 0;

    // ---- Counters ----
    virtual Code counterEventStart(DeviceHandle handle, const PT_CounterEventStart& p) = 0;
    virtual Code counterEventRead(DeviceHandle handle, const PT_CounterEventRead& p) = 0;
    virtual Code counterFreqStart(DeviceHandle handle, const PT_CounterFreqStart& p) = 0;
    virtual Code counterFreqRead(DeviceHandle handle, const PT_CounterFreqRead& p) = 0;
    virtual Code counterPulseStart(DeviceHandle handle, const PT_CounterPulseStart& p) = 0;
    virtual Code counterReset(DeviceHandle handle, std::uint16_t counter) = 0;

    // ---- Hardware alarms ----
    virtual Code alarmConfig(DeviceHandle handle, const PT_AlarmConfig& p) = 0;
    virtual Code alarmEnable(DeviceHandle handle, const PT_AlarmEnable& p) = 0;
    virtual Code alarmCheck(DeviceHandle handle, const PT_AlarmCheck& p) = 0;
    virtual Code alarmReset(DeviceHandle handle, std::uint16_t chan) = 0;

    // ---- COM ports ----
    // Reads at most `size` bytes (and never more than buffer.size()) up to and
    // including `finalChar` (kComNoFinalChar: whatever is there). `waitMs` is
    // the longest the device may wait for the answer.
    virtual Code comRead(DeviceHandle handle, std::span<char> buffer, std::uint32_t size,
                         std::uint32_t waitMs, std::uint16_t finalChar, std::uint32_t& count) = 0;
    virtual Code comWrite(DeviceHandle handle, std::string_view data) = 0;
    virtual Code comEscape(DeviceHandle handle, std::int32_t escape) = 0;

  private:
    std::atomic<UserInterface*> ui_{nullptr};
};

// The driver over the device list at `deviceListPath` (written with the
// default devices when missing), with every device type the program offers,
// the simulated ones on the steady clock.
std::unique_ptr<DeviceDriver> makeDeviceDriver(const std::filesystem::path& deviceListPath);

}  // namespace kestrune
