#pragma once
// The device types this program offers in its device list.

#include <memory>

#include "components/driver/device_types.h"
#include "components/driver/sim_clock.h"

namespace kestrune {

// "board" (a simulated multifunction board) and "com" (a simulated serial
// port); the simulated devices run on `clock`.
DeviceTypes standardDeviceTypes(std::shared_ptr<const SimClock> clock);

}  // namespace kestrune
