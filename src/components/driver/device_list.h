#pragma once
// The device list: which simulated devices exist and what their channels
// show. It is a text file in the system directory (format in
// docs/device_list.md), created with one board and one COM port when missing.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "components/driver/driver_params.h"
#include "components/driver/signal_source.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr const char* kDeviceListFileName = "devices.ini";
inline constexpr std::size_t kMaxAiChannels = 32;
inline constexpr std::size_t kMaxAoChannels = 32;
inline constexpr std::size_t kMaxPorts = 16;
inline constexpr std::size_t kMaxCounters = 16;

enum class DeviceType { Board, ComPort };

struct PortSpec {
    std::uint16_t mode = kPortBidirectional;
    std::uint8_t pins = 0;  // what the outside world drives onto the port's inputs
};

struct CounterSpec {
    double rate = 100.0;   // events per second at the counter's input
    bool gateHigh = true;  // level of the counter's gate input
};

enum class ComMode { Loopback, Reply, Silent };

struct DeviceEntry {
    std::int32_t number = 0;
    std::uint8_t kind = 0;
    DeviceType type = DeviceType::Board;
    std::string description;

    // Board
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

    // COM port
    ComMode comMode = ComMode::Loopback;
    std::string reply;

    // The section's lines as read; two entries with the same text describe
    // the same device, which lets a rebuild keep a running device alive.
    std::string source;
};

struct DeviceList {
    std::vector<DeviceEntry> devices;
    const DeviceEntry* find(std::int32_t number) const;
};

// Parses the text of a device list. A fault gives DriverError::DeviceListInvalid
// with "line N: what is wrong" as context; `out` is then left unchanged.
Status parseDeviceList(std::string_view text, DeviceList& out);

// The text written when the file is missing.
std::string defaultDeviceListText();

// Reads the file at `path`, writing the default list there first when it does
// not exist. A file that cannot be read or parsed gives DeviceListInvalid with
// the path and line in the context; a default that cannot be written is still
// used, from memory.
Status loadDeviceList(const std::filesystem::path& path, DeviceList& out);

}  // namespace kestrune
