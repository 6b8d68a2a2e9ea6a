#include "components/driver/device_section.h"

#include "components/driver/driver_codes.h"
#include "components/driver/param_text.h"

namespace kestrune {

Status sectionError(int line, const std::string& what) {
    return {driverCode(DriverError::DeviceListInvalid), "line " + std::to_string(line) + ": " + what};
}

bool readCount(const DeviceSetting& setting, std::size_t max, std::size_t& out, Status& st) {
    std::uint64_t v = 0;
    if (!parseUnsigned(setting.value, v) || v > max) {
        st = sectionError(setting.line,
                          "'" + setting.key + "' must be a number from 0 to " + std::to_string(max));
        return false;
    }
    out = static_cast<std::size_t>(v);
    return true;
}

}  // namespace kestrune
