#pragma once
// The device list: which devices exist, of which type, with which settings.
// It is a text file (format in docs/device_list.md; the application keeps it
// in the system directory), created with one simulated board and one
// loop-back COM port when missing.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/driver/device.h"
#include "components/driver/device_types.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr const char* kDeviceListFileName = "devices.ini";

struct DeviceList {
    std::vector<std::shared_ptr<Device>> devices;
    Device* find(std::int32_t number) const;
};

// Parses the text of a device list, making each section's device through
// its type in `types`. A fault gives DriverError::DeviceListInvalid with
// "line N: what is wrong" as context; `out` is then left unchanged.
Status parseDeviceList(std::string_view text, const DeviceTypes& types, DeviceList& out);

// The text written when the file is missing.
std::string defaultDeviceListText();

// Reads the file at `path`, writing the default list there first when it does
// not exist. A file that cannot be read or parsed gives DeviceListInvalid with
// the path and line in the context; a default that cannot be written is still
// used, from memory.
Status loadDeviceList(const std::filesystem::path& path, const DeviceTypes& types, DeviceList& out);

}  // namespace kestrune
