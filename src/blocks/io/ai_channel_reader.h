#pragma once
// The analog input block's read of its channel range on an open device. At
// run start it takes each channel's gain code from the device's gain list
// (by the channel's range index) and chooses how to read: when any channel of
// the range sits on an expansion board (the configuration entry of channel c
// is c mod 16), every scan reads the range by expansion with a multiplexer
// code per channel ((board ID << 4) | expansion channel for board type 261,
// else the expansion channel); otherwise every scan configures the range and
// reads it directly.
//
// Readings land at their channel's place in the 32-float buffer; channels
// outside the range are left alone.

#include <array>
#include <cstdint>
#include <span>

#include "components/driver/driver_params.h"
#include "platform/status.h"

namespace kestrune {

class DeviceDriver;

inline constexpr std::size_t kAiChannels = 32;
inline constexpr std::uint16_t kMuxBoardWithIds = 261;

struct AiChannelSetting {
    std::uint16_t expChannel = 0;
    std::uint16_t range = 0;  // index into the device's gain list
    std::uint16_t boardId = 0;

    friend bool operator==(const AiChannelSetting&, const AiChannelSetting&) = default;
};

using AiChannelSettings = std::array<AiChannelSetting, kAiChannels>;

class AiChannelReader {
  public:
    // Builds the read of channels first..last (first <= last < 32); the
    // direct read configures the range once here. A range index beyond the
    // gain list gives the driver's invalid-gain code.
    Code prepare(DeviceDriver& driver, DeviceHandle handle, const DeviceFeatures& features,
                 const AiConfig& config, std::uint16_t first, std::uint16_t last,
                 const AiChannelSettings& settings);
    // One scan's read into `readings` (indexed by channel).
    Code read(DeviceDriver& driver, DeviceHandle handle, std::span<float, kAiChannels> readings) const;

    bool byExpansion() const { return expansion_; }
    const std::array<std::uint16_t, kAiChannels>& gainCodes() const { return gains_; }
    const std::array<std::uint16_t, kAiChannels>& muxCodes() const { return mux_; }

  private:
    std::span<const std::uint16_t> fromFirst(const std::array<std::uint16_t, kAiChannels>& a) const {
        return std::span<const std::uint16_t>(a).subspan(first_, count_);
    }

    std::uint16_t first_ = 0;
    std::uint16_t count_ = 0;
    bool expansion_ = false;
    // Indexed by channel; only first..last are used.
    std::array<std::uint16_t, kAiChannels> channels_{};
    std::array<std::uint16_t, kAiChannels> gains_{};
    std::array<std::uint16_t, kAiChannels> mux_{};
};

}  // namespace kestrune
