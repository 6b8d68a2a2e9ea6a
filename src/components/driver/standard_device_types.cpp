#include "components/driver/standard_device_types.h"

#include "components/driver/sim_board.h"
#include "components/driver/sim_com_port.h"

namespace kestrune {

DeviceTypes standardDeviceTypes(std::shared_ptr<const SimClock> clock) {
    DeviceTypes types;
    types.add("board", "Device", [clock](const DeviceSection& section, std::shared_ptr<Device>& out) {
        return SimBoard::fromSection(section, clock, out);
    });
    types.add("com", "COM port", &SimComPort::fromSection);
    return types;
}

}  // namespace kestrune
