#pragma once
// A simulated serial port. In loop-back mode every byte written comes back to
// be read, so a prompt is its own answer; in reply mode each write is answered
// with the configured reply; a silent port never answers. Reads never wait:
// what an instrument would send within the wait time is already there.

#include <deque>
#include <mutex>

#include "components/driver/sim_device.h"

namespace kestrune {

inline constexpr std::size_t kComReceiveCapacity = 4096;

class SimComPort final : public SimDevice {
  public:
    SimComPort(const DeviceEntry& entry, std::shared_ptr<const SimClock> clock);

    Code comRead(std::span<char> buffer, std::uint32_t size, std::uint32_t waitMs, std::uint16_t finalChar,
                 std::uint32_t& count) override;
    Code comWrite(std::string_view data) override;
    Code comEscape(std::int32_t escape) override;

  private:
    std::mutex mutex_;
    std::deque<char> received_;
    bool discardNextAnswer_ = false;
};

}  // namespace kestrune
