#pragma once
// What the I/O blocks' dialogs learn of a device before they show it: the
// check (open, features, analog input and port configuration, close) and the
// lists and switches built from it. The desktop dialogs call these; they hold
// no windows themselves.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "components/driver/driver_params.h"
#include "platform/status.h"

namespace kestrune {

class DeviceDriver;

struct DeviceCheck {
    Code code = kOk;  // 0, or the code of the call that failed
    std::string description;
    DeviceFeatures features;
    AiConfig aiConfig;
    DioConfig dioConfig;  // only filled for a device with configurable ports
};

// Opens the device, reads its features, analog input and (when the device
// has configurable ports) port configuration, and closes it again.
DeviceCheck checkDevice(DeviceDriver& driver, std::int32_t number, std::uint8_t kind);

// Analog input channels by the configured input mode, at most 32.
std::size_t aiChannelCount(const DeviceCheck& check);
// The dialog's channel list: the channel number, with " (CJC Channel)" for
// the cold-junction channel or " (board name)" for a channel on an
// expansion board.
std::vector<std::string> aiChannelList(DeviceDriver& driver, const DeviceCheck& check);

// Which of the per-channel lists the analog input dialog enables.
struct AiChannelControls {
    bool range = false;       // more than one range, not the CJC channel, a board type that takes a range
    bool expChannel = false;  // on an expansion board that multiplexes (not 259, 262, 263)
    bool boardId = false;     // board type 261 only
};
AiChannelControls aiChannelControls(const DeviceCheck& check, std::uint16_t channel);

// The ports the digital dialogs offer: (channels + 7) / 8 of the kind; a
// device with configurable ports offers only its input (0) and
// bidirectional (2) ports for input, its output (1) and bidirectional ports
// for output.
std::vector<std::uint16_t> digitalInputPorts(const DeviceCheck& check);
std::vector<std::uint16_t> digitalOutputPorts(const DeviceCheck& check);
// The stored port when it is offered, else the first offered; nullopt for an
// empty list (the dialog then disables its controls).
std::optional<std::uint16_t> offeredPort(const std::vector<std::uint16_t>& ports, std::uint16_t stored);

// The analog output dialog's channels.
std::vector<std::uint16_t> analogOutputChannels(const DeviceCheck& check);

}  // namespace kestrune
