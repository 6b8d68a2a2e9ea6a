#include "components/driver/sim_com_port.h"

#include <algorithm>

#include "components/driver/driver_codes.h"

namespace kestrune {

SimComPort::SimComPort(const DeviceEntry& entry, std::shared_ptr<const SimClock> clock)
    : SimDevice(entry, std::move(clock)) {}

Code SimComPort::comRead(std::span<char> buffer, std::uint32_t size, std::uint32_t, std::uint16_t finalChar,
                         std::uint32_t& count) {
    count = 0;
    if (buffer.empty() || size == 0 || finalChar > 0xFF) return driverCode(DriverError::InvalidParameter);
    const std::size_t limit = std::min<std::size_t>(size, buffer.size());
    std::lock_guard lock(mutex_);
    while (count < limit && !received_.empty()) {
        const char c = received_.front();
        received_.pop_front();
        buffer[count++] = c;
        if (finalChar != kComNoFinalChar && static_cast<unsigned char>(c) == finalChar) break;
    }
    return kOk;
}

Code SimComPort::comWrite(std::string_view data) {
    std::lock_guard lock(mutex_);
    if (discardNextAnswer_) {
        discardNextAnswer_ = false;
        return kOk;
    }
    std::string_view answer;
    switch (entry().comMode) {
        case ComMode::Loopback:
            answer = data;
            break;
        case ComMode::Reply:
            answer = entry().reply;
            break;
        case ComMode::Silent:
            return kOk;
    }
    received_.insert(received_.end(), answer.begin(), answer.end());
    if (received_.size() <= kComReceiveCapacity) return kOk;
    received_.erase(received_.begin(), received_.begin() + (received_.size() - kComReceiveCapacity));
    return driverCode(DriverError::ComOverflow);
}

Code SimComPort::comEscape(std::int32_t escape) {
    std::lock_guard lock(mutex_);
    switch (escape) {
        case kComEscapeRequest:
            received_.clear();
            discardNextAnswer_ = false;
            return kOk;
        case kComEscapeSendOnly:
            received_.clear();
            discardNextAnswer_ = true;
            return kOk;
        default:
            return driverCode(DriverError::InvalidEscape);
    }
}

}  // namespace kestrune
