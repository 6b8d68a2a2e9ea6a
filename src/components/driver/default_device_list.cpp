// The device list written when none exists: one simulated multifunction board
// whose first two inputs are plants driven by its two analog outputs, so that
// a control loop has something to control, and one loop-back COM port.

#include "components/driver/device_list.h"

namespace kestrune {

std::string defaultDeviceListText() {
    return R"(# Kestrune device list: the simulated devices the program offers.
# Format: docs/device_list.md. Edit while the program is stopped, or use
# "rebuild" in a device dialog to re-read it.

[device 0]
type = board
description = Simulated multifunction board
ai.count = 8
ai.mode = single
# Inputs 0 and 1 are first-order processes driven by outputs 0 and 1.
ai.0 = plant ao=0 gain=2 tau=5 dead=1 noise=0.01 seed=1
ai.1 = plant ao=1 gain=0.8 tau=20 dead=2 noise=0 seed=2
ai.2 = sine amplitude=5 offset=0 period=10 phase=0
ai.3 = ramp low=0 high=10 period=20
ai.4 = square low=0 high=5 period=4 duty=0.5
ai.5 = random low=-1 high=1 seed=5
ai.6 = constant value=2.5
ai.7 = sine amplitude=0.5 offset=1 period=60 phase=90
ao.count = 2
ao.low = 0
ao.high = 10
dio.ports = 2
dio.0 = output
dio.1 = input pins=0xA5
counter.count = 2
counter.0 = rate=100 gate=high
counter.1 = rate=1000 gate=high
# The thermocouple on input 7, in degrees Celsius.
tc.7 = sine amplitude=2 offset=25 period=600 phase=0
alarm.count = 2

[device 1]
type = com
description = COM1 (loop-back)
mode = loopback
)";
}

}  // namespace kestrune
