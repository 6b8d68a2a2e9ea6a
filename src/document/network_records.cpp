#include "document/network_records.h"

#include <string>

#include "document/counted_text.h"
#include "taskmodel/graph_object.h"

namespace kestrune {
namespace {

constexpr std::size_t kKeepText = 255;

Status cutShort(const FourCC& tag, std::size_t at) {
    return {kRecordLoadError,
            std::string(toString(tag)) + " record at byte " + std::to_string(at) + " is cut short"};
}

}  // namespace

void NetworkTaskName::write(BinaryWriter& out) const {
    out.tag(kTag);
    writeCountedText(out, name, Terminator::Counted);
    writeCountedText(out, text, Terminator::Counted);
}

Status NetworkTaskName::read(BinaryReader& in) {
    const std::size_t at = in.position();
    NetworkTaskName r;
    if (!readCountedText(in, kKeepText, r.name) || !readCountedText(in, kKeepText, r.text)) {
        return cutShort(kTag, at);
    }
    *this = std::move(r);
    return {};
}

void NetworkSettings::write(BinaryWriter& out) const {
    out.tag(kTag);
    out.fixedString(stationName, kNameField);
    out.u16(retryTimes);
    out.u16(responseTimeoutMs);
    out.u16(reconnectIntervalMs);
    out.u32(logMessages);
    out.u32(1);
}

Status NetworkSettings::read(BinaryReader& in) {
    const std::size_t at = in.position();
    NetworkSettings r;
    r.stationName = in.fixedString(kNameField);
    r.retryTimes = in.u16();
    r.responseTimeoutMs = in.u16();
    r.reconnectIntervalMs = in.u16();
    r.logMessages = in.u32();
    in.u32();
    if (in.failed()) return cutShort(kTag, at);
    *this = std::move(r);
    return {};
}

}  // namespace kestrune
