#pragma once
// The settings of a simulated board, read from its section of the device
// list (keys in docs/device_list.md): what each analog input shows, the
// outputs' range, the digital ports, counters, thermocouples and alarms.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "components/driver/device_section.h"
#include "components/driver/driver_params.h"
#include "components/driver/signal_source.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr std::size_t kMaxAiChannels = 32;
inline constexpr std::size_t kMaxAoChannels = 32;
inline constexpr std::size_t kMaxPorts = 16;
inline constexpr std::size_t kMaxCounters = 16;

struct PortSpec {
    std::uint16_t mode = kPortBidirectional;
    std::uint8_t pins = 0;  // what the outside world drives onto the port's inputs
};

struct CounterSpec {
    double rate = 100.0;   // events per second at the counter's input
    bool gateHigh = true;  // level of the counter's gate input
};

struct BoardSettings {
    std::uint16_t inputMode = kInputModeSingleEnded;
    std::int16_t cjcChannel = -1;
    std::vector<SignalSpec> ai;  // one per analog input channel
    std::array<AiChannelConfig, kAiConfigEntries> expansion{};
    std::uint16_t aoCount = 0;
    float aoLow = 0.0f;
    float aoHigh = 10.0f;
    std::vector<PortSpec> ports;
    std::vector<CounterSpec> counters;
    std::map<std::uint16_t, SignalSpec> thermocouples;  // analog input channel -> temperature in Celsius
    std::uint16_t alarmCount = 0;
};

// Reads the board keys of `section`; a fault names its line.
Status parseBoardSettings(const DeviceSection& section, BoardSettings& out);

}  // namespace kestrune
