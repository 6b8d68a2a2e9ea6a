#include "blocks/io/device_check.h"

#include <algorithm>

#include "blocks/io/ai_channel_reader.h"
#include "components/driver/device_driver.h"

namespace kestrune {
namespace {

constexpr std::uint16_t kThermocoupleBoard = 259;
constexpr std::uint16_t kStrainGaugeBoard = 262;
constexpr std::uint16_t kBoard263 = 263;

// `direction` is the port code of the kind (input or output); bidirectional
// ports serve both. A port the device does not describe is not offered.
std::vector<std::uint16_t> ports(const DeviceCheck& check, std::uint16_t channels, std::uint16_t direction) {
    const std::size_t count = (static_cast<std::size_t>(channels) + 7) / 8;
    std::vector<std::uint16_t> out;
    for (std::size_t p = 0; p < count; ++p) {
        if (check.features.dioConfigurable) {
            if (p >= check.dioConfig.ports.size()) continue;
            const std::uint16_t code = check.dioConfig.ports[p];
            if (code != direction && code != kPortBidirectional) continue;
        }
        out.push_back(static_cast<std::uint16_t>(p));
    }
    return out;
}

}  // namespace

DeviceCheck checkDevice(DeviceDriver& driver, std::int32_t number, std::uint8_t kind) {
    DeviceCheck check;
    DeviceHandle handle = 0;
    check.code = driver.deviceOpen(number, kind, handle, check.description);
    if (check.code != kOk) return check;
    check.code = driver.deviceGetFeatures(handle, check.features);
    if (check.code == kOk) check.code = driver.aiGetConfig(handle, check.aiConfig);
    if (check.code == kOk && check.features.dioConfigurable)
        check.code = driver.dioGetConfig(handle, check.dioConfig);
    driver.deviceClose(handle);
    return check;
}

std::size_t aiChannelCount(const DeviceCheck& check) {
    const std::uint16_t n = check.aiConfig.inputMode == kInputModeDifferential
                                ? check.features.aiDifferentialChannels
                                : check.features.aiSingleEndedChannels;
    return std::min<std::size_t>(n, kAiChannels);
}

std::vector<std::string> aiChannelList(DeviceDriver& driver, const DeviceCheck& check) {
    std::vector<std::string> out;
    for (std::size_t c = 0; c < aiChannelCount(check); ++c) {
        std::string entry = std::to_string(c);
        const std::uint16_t boardType = check.aiConfig.channels[c % kAiConfigEntries].boardType;
        if (static_cast<std::int32_t>(c) == check.aiConfig.cjcChannel) {
            entry += " (CJC Channel)";
        } else if (boardType != 0) {
            std::string name;
            driver.boardTypeMapBoardName(boardType, name);
            entry += " (" + name + ")";
        }
        out.push_back(std::move(entry));
    }
    return out;
}

AiChannelControls aiChannelControls(const DeviceCheck& check, std::uint16_t channel) {
    const std::uint16_t type = check.aiConfig.channels[channel % kAiConfigEntries].boardType;
    const bool cjc = static_cast<std::int32_t>(channel) == check.aiConfig.cjcChannel;
    const bool fixedBoard = type == kThermocoupleBoard || type == kStrainGaugeBoard || type == kBoard263;
    AiChannelControls controls;
    controls.range =
        check.features.gains.size() > 1 && !cjc && (type == 0 || fixedBoard || type == kMuxBoardWithIds);
    controls.expChannel = type != 0 && !fixedBoard;
    controls.boardId = type == kMuxBoardWithIds;
    return controls;
}

std::vector<std::uint16_t> digitalInputPorts(const DeviceCheck& check) {
    return ports(check, check.features.diChannels, kPortInput);
}

std::vector<std::uint16_t> digitalOutputPorts(const DeviceCheck& check) {
    return ports(check, check.features.doChannels, kPortOutput);
}

std::optional<std::uint16_t> offeredPort(const std::vector<std::uint16_t>& ports, std::uint16_t stored) {
    if (ports.empty()) return std::nullopt;
    return std::ranges::find(ports, stored) != ports.end() ? stored : ports.front();
}

std::vector<std::uint16_t> analogOutputChannels(const DeviceCheck& check) {
    std::vector<std::uint16_t> out;
    for (std::uint16_t c = 0; c < check.features.aoChannels && c < kAiChannels; ++c) out.push_back(c);
    return out;
}

}  // namespace kestrune
