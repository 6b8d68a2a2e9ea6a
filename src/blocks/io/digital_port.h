#pragma once
// The outputs the digital blocks share: "All Channels" (the port value), then
// "Channel 0" to "Channel 15", channel k carrying the value AND 2^k (a set
// bit 3 gives 8, not 1).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "taskmodel/ports.h"

namespace kestrune {

class Node;
class OutputValue;

inline constexpr std::size_t kPortChannels = 16;
inline constexpr std::size_t kPortOutputs = kPortChannels + 1;

// The highest port number the digital blocks take (a device has at most 16).
inline constexpr std::uint16_t kMaxPort = 15;

std::vector<OutputPort> portOutputs();
std::vector<std::string> portOutputCaptions();

constexpr std::int32_t channelBit(std::int32_t value, std::size_t channel) {
    return value & static_cast<std::int32_t>(1u << channel);
}

// The port value and its channels into the node's 17 outputs and, when
// given, into a 17-element array (the tag's value).
void showPortValue(Node& node, std::int32_t value, OutputValue* array = nullptr);

}  // namespace kestrune
