// The task's part of its "BTSK" record, after the block common part:
//   period hours, seconds, minutes, milliseconds (16 bit each: seconds come
//     before minutes), duration mode (16), duration h/m/s (16 each), scan
//     limit (32)                                           -- 20 bytes
//   start mode (16), delay h/m/s, daily h/m/s (16 each)    -- records longer than 20 bytes
//   pre-task and post-task scripts: a 32-bit length, then the text
//   priority code (8), reserved (32), OPC read mode (8), data source (8),
//     update rate, locale id, time bias (32 each), dead band (float)
//                                                          -- file version 4 on
// Every field after the first 20 bytes is read only while the record holds
// more, so records of older programs load; a script of length 0 leaves the
// task's text as it was.

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/scan_task.h"

namespace kestrune {
namespace {

// The fields every record holds.
constexpr std::size_t kBasePayloadBytes = 20;
// The first file version whose task records carry the priority and OPC settings.
constexpr int kFirstVersionWithOpc = 4;

Status damaged(const BinaryReader& in, std::string_view what) {
    return {kRecordLoadError,
            "task record: " + std::string(what) + " at byte " + std::to_string(in.position())};
}

HourMinSec readHourMinSec(BinaryReader& in) {
    HourMinSec t;
    t.hours = in.u16();
    t.minutes = in.u16();
    t.seconds = in.u16();
    return t;
}

void writeHourMinSec(BinaryWriter& out, const HourMinSec& t) {
    out.u16(t.hours);
    out.u16(t.minutes);
    out.u16(t.seconds);
}

// Modes outside their ranges (a damaged record) fall back to the defaults.
DurationMode durationModeOf(std::int16_t v) {
    return v >= 0 && v <= 2 ? static_cast<DurationMode>(v) : DurationMode::FreeRun;
}
StartMode startModeOf(std::int16_t v) {
    return v >= 0 && v <= 3 ? static_cast<StartMode>(v) : StartMode::Immediate;
}

// A stored script: nothing (the text stays) for length 0; the text up to a
// zero byte otherwise.
Status readScript(BinaryReader& in, TaskScript& script) {
    const std::size_t at = in.position();
    const std::int32_t length = in.i32();
    if (in.failed()) return damaged(in, "script length cut short");
    if (length < 0 || static_cast<std::size_t>(length) > in.remaining()) {
        return {kRecordLoadError, "task record: script length " + std::to_string(length) + " at byte " +
                                      std::to_string(at) + " runs past the record"};
    }
    if (length == 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    in.bytes(text.data(), text.size());
    text.resize(std::min(text.find('\0'), text.size()));
    script.setText(std::move(text));
    return {};
}

void writeScript(BinaryWriter& out, const TaskScript& script) {
    out.i32(static_cast<std::int32_t>(script.text().size()));
    out.bytes(script.text().data(), script.text().size());
}

}  // namespace

Status ScanTask::LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) {
    const std::size_t payload = record.end() > in.position() ? record.end() - in.position() : 0;
    ScanPeriod period;
    period.hours = in.u16();
    period.seconds = in.u16();
    period.minutes = in.u16();
    period.milliseconds = in.u16();
    const std::int16_t durationMode = in.i16();
    const HourMinSec duration = readHourMinSec(in);
    const std::int32_t scanLimit = in.i32();
    if (in.failed()) return damaged(in, "period and duration cut short");
    timing_.setPeriod(period);
    timing_.setDurationMode(durationModeOf(durationMode));
    timing_.setDuration(duration);
    timing_.setScanLimit(scanLimit);
    if (payload <= kBasePayloadBytes) return {};

    const std::int16_t startMode = in.i16();
    const HourMinSec delay = readHourMinSec(in);
    const HourMinSec daily = readHourMinSec(in);
    if (in.failed()) return damaged(in, "start settings cut short");
    timing_.setStartMode(startModeOf(startMode));
    timing_.setDelay(delay);
    timing_.setDailyStart(daily);

    for (TaskScript* script : {&preScript_, &postScript_}) {
        if (!record.hasMore()) return {};
        if (Status s = readScript(in, *script); !s) return s;
    }
    if (fileVersion < kFirstVersionWithOpc) return {};

    if (record.hasMore()) timing_.setPriorityCode(in.u8());
    if (record.hasMore()) reserved_ = in.u32();
    OpcServerProperties opc = opc_;
    if (record.hasMore()) opc.readMode = in.u8();
    if (record.hasMore()) opc.dataSource = in.u8();
    if (record.hasMore()) opc.updateRate = in.u32();
    if (record.hasMore()) opc.localeId = in.u32();
    if (record.hasMore()) opc.timeBias = in.i32();
    if (record.hasMore()) opc.deadBand = in.f32();
    if (in.failed()) return damaged(in, "priority and OPC settings cut short");
    setOpcSettings(opc);
    return {};
}

Status ScanTask::SavePayload(BinaryWriter& out) const {
    const ScanPeriod period = timing_.period();
    out.u16(period.hours);
    out.u16(period.seconds);
    out.u16(period.minutes);
    out.u16(period.milliseconds);
    out.i16(static_cast<std::int16_t>(timing_.durationMode()));
    writeHourMinSec(out, timing_.duration());
    out.i32(timing_.scanLimit());
    out.i16(static_cast<std::int16_t>(timing_.startMode()));
    writeHourMinSec(out, timing_.delay());
    writeHourMinSec(out, timing_.dailyStart());
    writeScript(out, preScript_);
    writeScript(out, postScript_);
    out.u8(timing_.priorityCode());
    out.u32(reserved_);
    out.u8(opc_.readMode);
    out.u8(opc_.dataSource);
    out.u32(opc_.updateRate);
    out.u32(opc_.localeId);
    out.i32(opc_.timeBias);
    out.f32(opc_.deadBand);
    return {};
}

void ScanTask::CopyTo(GraphObject& other) const {
    auto* target = dynamic_cast<ScanTask*>(&other);
    if (target == nullptr || target == this) return;
    TaskTiming& t = target->timing_;
    t.setPeriod(timing_.period());
    t.setDurationMode(timing_.durationMode());
    t.setDuration(timing_.duration());
    t.setScanLimit(timing_.scanLimit());
    t.setStartMode(timing_.startMode());
    t.setDelay(timing_.delay());
    t.setDailyStart(timing_.dailyStart());
    target->opc_ = opc_;
    target->reserved_ = reserved_;
}

void ScanTask::setOpcSettings(const OpcServerProperties& settings) {
    opc_ = settings;
    opc_.readMode = std::min<std::uint8_t>(opc_.readMode, 1);
    opc_.dataSource = std::min<std::uint8_t>(opc_.dataSource, 1);
    opc_.updateRate = std::min(opc_.updateRate, kMaxOpcUpdateRate);
    opc_.deadBand =
        std::isnan(opc_.deadBand) ? kMaxOpcDeadBand : std::clamp(opc_.deadBand, 0.0f, kMaxOpcDeadBand);
}

}  // namespace kestrune
