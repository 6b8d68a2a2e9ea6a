#include "components/driver/sim_com_port.h"

#include <algorithm>

#include "components/driver/driver_codes.h"
#include "components/driver/param_text.h"

namespace kestrune {
namespace {

bool unescape(const DeviceSetting& l, std::string& out, Status& st) {
    out.clear();
    const std::string& s = l.value;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size()) break;
        switch (s[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x': {
                std::uint64_t v = 0;
                if (i + 2 >= s.size() || !parseUnsigned("0x" + s.substr(i + 1, 2), v)) {
                    st = sectionError(l.line, "'\\x' needs two hexadecimal digits");
                    return false;
                }
                out += static_cast<char>(v);
                i += 2;
                break;
            }
            default:
                st = sectionError(l.line, std::string("unknown escape '\\") + s[i] + "'");
                return false;
        }
    }
    return true;
}

}  // namespace

Status parseComPortSettings(const DeviceSection& section, ComPortSettings& out) {
    ComPortSettings settings;
    for (const auto& l : section.settings) {
        Status st;
        if (l.key == "mode") {
            if (l.value == "loopback")
                settings.mode = ComMode::Loopback;
            else if (l.value == "reply")
                settings.mode = ComMode::Reply;
            else if (l.value == "silent")
                settings.mode = ComMode::Silent;
            else
                return sectionError(l.line, "'mode' must be loopback, reply or silent");
        } else if (l.key == "reply") {
            if (!unescape(l, settings.reply, st)) return st;
        } else {
            return sectionError(l.line, "unknown key '" + l.key + "' for a COM port");
        }
    }
    out = std::move(settings);
    return {};
}

Status SimComPort::fromSection(const DeviceSection& section, std::shared_ptr<Device>& out) {
    ComPortSettings settings;
    if (Status st = parseComPortSettings(section, settings); !st.ok()) return st;
    out = std::make_shared<SimComPort>(section, std::move(settings));
    return {};
}

SimComPort::SimComPort(DeviceSection section, ComPortSettings settings)
    : Device(std::move(section)), settings_(std::move(settings)) {}

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
    switch (settings_.mode) {
        case ComMode::Loopback:
            answer = data;
            break;
        case ComMode::Reply:
            answer = settings_.reply;
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
