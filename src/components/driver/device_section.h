#pragma once
// One [device N] section of the device list as read, before its device type
// turns it into a device. The list reader takes the keys every device has
// (type, description, kind); the rest are the type's own settings, which the
// type's parser reads and reports with sectionError, so that every fault in
// the file names its line the same way.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace kestrune {

struct DeviceSetting {
    int line = 0;
    std::string key;
    std::string value;
};

struct DeviceSection {
    int line = 0;  // of the [device N] header
    std::int32_t number = 0;
    std::string type;  // "board" when the section names none
    std::uint8_t kind = 0;
    std::string description;
    std::vector<DeviceSetting> settings;  // the type's own keys, in file order
    // Every line of the section as read; two sections with the same text
    // describe the same device, which lets a rebuild keep a running one alive.
    std::string source;
};

// DriverError::DeviceListInvalid with "line N: what" as context.
Status sectionError(int line, const std::string& what);

// A whole number from 0 to `max` in `setting`; false with the fault in `st`.
bool readCount(const DeviceSetting& setting, std::size_t max, std::size_t& out, Status& st);

}  // namespace kestrune
