#pragma once
// The run-error report: what the main thread does with each run error that a
// block, a task or a service reported (message 0x415). It turns the code into
// the text the operator reads, beeps when the strategy asks for it, shows the
// text in status pane 0, queues it for "RUNERR.LOG" when errors are logged,
// counts it in pane 1 ("Error Count:%lu"), and posts 0x411 when the count
// passes the strategy's error limit (each error past the limit posts again;
// the run stop ignores repeats).
//
// Threads: everything here runs on the main thread, except that the two
// counters may be read from any thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "components/opc/opc_client.h"
#include "platform/status.h"
#include "taskmodel/locked_counter.h"

namespace kestrune {

class Beeper;
class DeviceDriver;
class MainQueue;
class RunErrorLog;
class StatusPanes;

// What the report needs to know about the node that reported: its task and
// name (and caption) for the texts that name it, the device for a driver
// code, and the OPC item for bad quality (code 15). A task reporting for
// itself gives its name as taskName.
struct RunErrorSource {
    std::string taskName;
    std::string blockName;
    std::string caption;
    std::int32_t deviceNumber = -1;
    std::uint8_t deviceKind = 0;
    OpcItemHandle opcItem = 0;  // 0: none
};

// The run preferences of the strategy that concern run errors.
struct RunErrorPreferences {
    bool beepOnError = false;
    bool logErrors = false;
    std::uint16_t errorLimit = 0;  // 0: no limit
};

// Codes with a meaning of their own in the report.
inline constexpr Code kRunErrorDataOverrun = 12;
inline constexpr Code kRunErrorBadQuality = 15;

class RunErrorReport {
  public:
    RunErrorReport(MainQueue& mainQueue, RunErrorLog& log);

    // The collaborators; any may be null (no driver or OPC texts, no panes, no beep).
    void setDriver(DeviceDriver* driver) { driver_ = driver; }
    void setOpcClient(OpcClient* opc) { opc_ = opc; }
    void setStatusPanes(StatusPanes* panes) { panes_ = panes; }
    void setBeeper(Beeper* beeper) { beeper_ = beeper; }

    // At Start: takes the preferences and the strategy's directory (for the
    // disk-space text) and resets the error count. The data-overrun count
    // runs on across runs.
    void start(const RunErrorPreferences& preferences, std::string strategyDirectory);
    const RunErrorPreferences& preferences() const { return preferences_; }

    // Message 0x415: code 0 is ignored; any other is turned into its text,
    // announced and counted. 34257 takes kLowDiskSpaceBound as its bound.
    void report(Code code, const RunErrorSource& source);
    // Message 0x415 with 34257, whose lParam is the bound.
    void reportLowDiskSpace(std::uint32_t bound);
    // A text that is already made (network reports): announced and counted.
    void reportText(std::string_view text);

    // Beeps (when asked for), shows the text in pane 0 and queues it for the
    // log (when errors are logged), without counting it: network events.
    void announce(std::string_view text);
    // Counts one error, shows the count and posts 0x411 past the limit.
    void countError();

    // The text for `code` from `source`. Codes 12 and 15 count a data
    // overrun first, as the report does.
    std::string textFor(Code code, const RunErrorSource& source);

    std::int32_t errorCount() const { return errorCount_.get(); }
    std::int32_t dataOverrunCount() const { return dataOverruns_.get(); }

  private:
    std::string componentText(Code code, const RunErrorSource& source) const;
    std::string badQualityText(Code code, const RunErrorSource& source) const;

    MainQueue& mainQueue_;
    RunErrorLog& log_;
    DeviceDriver* driver_ = nullptr;
    OpcClient* opc_ = nullptr;
    StatusPanes* panes_ = nullptr;
    Beeper* beeper_ = nullptr;
    RunErrorPreferences preferences_;
    std::string strategyDirectory_;
    LockedCounter errorCount_;
    LockedCounter dataOverruns_;
};

}  // namespace kestrune
