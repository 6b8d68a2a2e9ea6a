#include "components/driver/device_driver.h"

#include "components/driver/device_list_driver.h"
#include "components/driver/driver_codes.h"
#include "components/driver/sim_clock.h"
#include "components/driver/standard_device_types.h"
#include "platform/user_interface.h"

namespace kestrune {

int DeviceDriver::deviceSelect(std::int32_t& deviceNumber, std::uint8_t& kind, std::string& description) {
    UserInterface* ui = userInterface();
    if (!ui) return 0;
    const auto devices = deviceList();
    if (devices.empty()) return 0;
    std::vector<std::string> lines;
    lines.reserve(devices.size());
    for (const auto& d : devices) lines.push_back(std::to_string(d.number) + ": " + d.description);
    const auto chosen = ui->chooseFromList("Select Device", lines);
    if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= devices.size()) return 0;
    const auto& d = devices[static_cast<std::size_t>(*chosen)];
    deviceNumber = d.number;
    kind = d.kind;
    description = d.description;
    return 1;
}

Code DeviceDriver::getErrorMessage(Code code, std::string& text) {
    text = driverErrorText(code);
    if (!text.empty()) return kOk;
    text = "Unknown device driver error code " + std::to_string(code) + ".";
    return driverCode(DriverError::InvalidParameter);
}

Code DeviceDriver::getErrorMessage(std::int32_t deviceNumber, std::uint8_t kind, Code code,
                                   std::string& text) {
    const Code rc = getErrorMessage(code, text);
    for (const auto& d : deviceList()) {
        if (d.number == deviceNumber) {
            text = d.description + ": " + text;
            break;
        }
    }
    return rc;
}

void DeviceDriver::errorMessageBox(Code code, std::string_view context) {
    UserInterface* ui = userInterface();
    if (!ui) return;
    std::string text;
    getErrorMessage(code, text);
    text += context;
    ui->showMessage(text, "Device Driver", MessageIcon::Error);
}

int DeviceDriver::checkErrorCode(Code code) {
    return isDriverCode(code) ? 1 : 0;
}

std::unique_ptr<DeviceDriver> makeDeviceDriver(const std::filesystem::path& deviceListPath) {
    return std::make_unique<DeviceListDriver>(deviceListPath,
                                              standardDeviceTypes(std::make_shared<SteadySimClock>()));
}

}  // namespace kestrune
