#include "blocks/io/ai_channel_reader.h"

#include "components/driver/device_driver.h"
#include "components/driver/driver_codes.h"

namespace kestrune {

Code AiChannelReader::prepare(DeviceDriver& driver, DeviceHandle handle, const DeviceFeatures& features,
                              const AiConfig& config, std::uint16_t first, std::uint16_t last,
                              const AiChannelSettings& settings) {
    if (first > last || last >= kAiChannels) return driverCode(DriverError::InvalidChannel);
    first_ = first;
    count_ = static_cast<std::uint16_t>(last - first + 1);
    expansion_ = false;
    for (std::uint16_t c = first; c <= last; ++c) {
        const AiChannelSetting& s = settings[c];
        if (s.range >= features.gains.size()) return driverCode(DriverError::InvalidGain);
        gains_[c] = features.gains[s.range].code;
        channels_[c] = c;
        const std::uint16_t boardType = config.channels[c % kAiConfigEntries].boardType;
        if (boardType != 0) expansion_ = true;
        mux_[c] = boardType == kMuxBoardWithIds ? static_cast<std::uint16_t>((s.boardId << 4) | s.expChannel)
                                                : s.expChannel;
    }
    if (expansion_) return kOk;
    return driver.maiConfig(handle, {count_, first_, fromFirst(gains_)});
}

Code AiChannelReader::read(DeviceDriver& driver, DeviceHandle handle,
                           std::span<float, kAiChannels> readings) const {
    const std::span<float> into = readings.subspan(first_, count_);
    if (expansion_) {
        return driver.maiVoltageInExp(
            handle, {count_, fromFirst(channels_), fromFirst(gains_), fromFirst(mux_), into});
    }
    // Configured on every scan: another block may have configured the
    // converter for other channels in between.
    if (const Code code = driver.maiConfig(handle, {count_, first_, fromFirst(gains_)}); code != kOk)
        return code;
    return driver.maiVoltageIn(handle, {count_, first_, fromFirst(gains_), 0, into});
}

}  // namespace kestrune
