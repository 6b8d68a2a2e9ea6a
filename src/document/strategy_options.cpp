#include "document/strategy_options.h"

#include <algorithm>

#include "taskmodel/graph_object.h"
#include "taskmodel/object_record.h"

namespace kestrune {

StrategyOptions StrategyOptions::defaults(std::uint32_t resolutionMs) {
    StrategyOptions o;
    o.displayRefreshMs = defaultRefreshMs(resolutionMs);
    return o;
}

std::uint32_t StrategyOptions::defaultRefreshMs(std::uint32_t resolutionMs) {
    const std::uint32_t r = std::max<std::uint32_t>(resolutionMs, 1);
    return r * std::max<std::uint32_t>(50 / r, 1);
}

std::uint32_t StrategyOptions::refreshDivider(std::uint32_t resolutionMs) const {
    const std::uint32_t r = std::max<std::uint32_t>(resolutionMs, 1);
    return std::max<std::uint32_t>(displayRefreshMs / r, 1);
}

void StrategyOptions::write(BinaryWriter& out) const {
    out.tag(kTag);
    out.u16(kRecordLength);
    out.u8(0);
    out.u8(beepOnError ? 1 : 0);
    out.u8(logErrors ? 1 : 0);
    out.u8(0);
    out.u8(static_cast<std::uint8_t>(printEvents));
    out.u8(eventLog ? 1 : 0);
    out.u16(errorLimit);
    out.u32(displayRefreshMs);
    out.u8(securityChecking ? 1 : 0);
    out.u8(frameLayout);
    out.u8(startLocked ? 1 : 0);
    out.u8(0);
    out.u16(deviceTarget ? 1 : 0);
    out.u16(deviceWidth);
    out.u16(deviceHeight);
}

Status StrategyOptions::read(BinaryReader& in, const FileVersion& version) {
    RecordReader record(in, kTag);
    const std::uint32_t combined = version.combined();
    in.u8();  // reserved
    const bool beep = in.u8() != 0;
    const bool log = in.u8() != 0;
    in.u8();  // always written as 0
    const std::uint8_t print = in.u8();
    const bool events = in.u8() != 0;
    const std::uint16_t limit = in.u16();
    if (in.failed()) return record.finish({});
    beepOnError = beep;
    logErrors = log;
    printEvents = print > 2 ? PrintEvents::None : static_cast<PrintEvents>(print);
    eventLog = events;
    errorLimit = limit;

    if (combined >= kVersionWithRefreshPeriod) {
        const std::uint32_t period = in.u32();
        if (in.failed()) return record.finish({});
        displayRefreshMs = period;
    }
    const bool security = in.u8() != 0;
    const std::uint8_t layout = in.u8();
    const bool locked = in.u8() != 0;
    in.u8();
    if (in.failed()) return record.finish({});
    securityChecking = security;
    if (combined >= kVersionWithLayoutOptions) {
        frameLayout = layout;
        startLocked = locked;
    }
    if (combined >= kVersionWithDeviceTarget) {
        const std::uint16_t target = in.u16();
        const std::uint16_t width = in.u16();
        const std::uint16_t height = in.u16();
        if (in.failed()) return record.finish({});
        deviceTarget = target == 1;
        deviceWidth = width;
        deviceHeight = height;
    }
    return record.finish({});
}

}  // namespace kestrune
