#pragma once
// The strategy's own options, stored in the "HEAD" record after the
// protection block: the run preferences (error beep, error log, event log
// and its printing, error limit, operational security, frame layout, start
// locked), the display refresh period and the handheld target.
//
// Layout of the 22 bytes after the record's length:
//   u8 reserved, u8 beep on error, u8 log errors, u8 always 0, u8 print
//   events (0 none, 1 all, 2 alarms; above 2 reads as 0), u8 event log;
//   u16 error limit (0 = none);
//   u32 display refresh period in ms               from combined 40004;
//   u8 security checking, u8 frame layout, u8 start locked, u8 0
//      (layout and start locked read from combined 21000);
//   u16 handheld target, u16 its width, u16 its height  from combined 40101.
// The reader moves to the record's end by its length, whatever it read.
//
// The scheduler divides the refresh period by its resolution R into the
// refresh divider D; files without a period, and new strategies, get D = 50 / R.

#include <cstdint>

#include "document/file_version.h"
#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

enum class PrintEvents : std::uint8_t { None = 0, All = 1, AlarmsOnly = 2 };

// Frame layout bits: a set bit shows the bar.
inline constexpr std::uint8_t kLayoutMenuBar = 0x1;
inline constexpr std::uint8_t kLayoutToolBar = 0x2;
inline constexpr std::uint8_t kLayoutTitleBar = 0x4;
inline constexpr std::uint8_t kLayoutAllBars = 0xFF;

struct StrategyOptions {
    static constexpr FourCC kTag = {'H', 'E', 'A', 'D'};
    static constexpr std::uint16_t kRecordLength = 22;

    bool beepOnError = false;
    bool logErrors = false;
    PrintEvents printEvents = PrintEvents::None;
    bool eventLog = false;
    std::uint16_t errorLimit = 0;
    std::uint32_t displayRefreshMs = 50;
    bool securityChecking = false;
    std::uint8_t frameLayout = kLayoutAllBars;
    bool startLocked = false;
    bool deviceTarget = false;
    std::uint16_t deviceWidth = 0;
    std::uint16_t deviceHeight = 0;

    // The options of a new strategy under scheduling resolution `resolutionMs`:
    // every run option off, all bars shown, D = 50 / R.
    static StrategyOptions defaults(std::uint32_t resolutionMs);

    // R * max(1, 50 / R): the period that gives the default divider.
    static std::uint32_t defaultRefreshMs(std::uint32_t resolutionMs);
    // The divider D for resolution R: period / R, at least 1.
    std::uint32_t refreshDivider(std::uint32_t resolutionMs) const;

    // The whole record, tag included.
    void write(BinaryWriter& out) const;
    // Reads the record after its tag. Fields a file of `version` does not
    // have keep what `*this` held (the caller starts from defaults). A record
    // too short for what the version promises gives 32910 and where.
    Status read(BinaryReader& in, const FileVersion& version);

    friend bool operator==(const StrategyOptions&, const StrategyOptions&) = default;
};

}  // namespace kestrune
