#pragma once
// A simulated serial port. In loop-back mode every byte written comes back to
// be read, so a prompt is its own answer; in reply mode each write is answered
// with the configured reply; a silent port never answers. Reads never wait:
// what an instrument would send within the wait time is already there.

#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "components/driver/device.h"

namespace kestrune {

inline constexpr std::size_t kComReceiveCapacity = 4096;

enum class ComMode { Loopback, Reply, Silent };

struct ComPortSettings {
    ComMode mode = ComMode::Loopback;
    std::string reply;
};

// Reads the COM port keys of `section` (mode, reply); a fault names its line.
Status parseComPortSettings(const DeviceSection& section, ComPortSettings& out);

class SimComPort final : public Device {
  public:
    SimComPort(DeviceSection section, ComPortSettings settings);

    // The parser of the device type "com".
    static Status fromSection(const DeviceSection& section, std::shared_ptr<Device>& out);

    const ComPortSettings& settings() const { return settings_; }

    Code comRead(std::span<char> buffer, std::uint32_t size, std::uint32_t waitMs, std::uint16_t finalChar,
                 std::uint32_t& count) override;
    Code comWrite(std::string_view data) override;
    Code comEscape(std::int32_t escape) override;

  private:
    const ComPortSettings settings_;
    std::mutex mutex_;
    std::deque<char> received_;
    bool discardNextAnswer_ = false;
};

}  // namespace kestrune
