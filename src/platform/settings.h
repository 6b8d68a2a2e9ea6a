#pragma once
// The program-wide settings read once at start-up from section "System" of
// the settings file, each with its default and its limits. A missing file or
// key never fails: the defaults apply. (DispThreadPriority95 served an older
// family of systems and is not read.)

#include <string>
#include <string_view>

#include "platform/profile_file.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr std::string_view kSettingsSection = "System";

struct Settings {
    int histDaysAgo = 30;         // HistDaysAgo: days of history the historical trend offers
    bool singleTaskMode = false;  // SingleTaskMode: one task scans at a time
    int networkPort = 700;        // NetworkPort: port of the network server
    int dispThreadPriority = 0;   // DispThreadPriority: display refresh priority index 0..5
    int taskScheduleRes = 5;      // TaskScheduleRes: scheduling resolution in ms, 5..100
    bool numericKeypad = false;   // NumericKeypad: numeric entry pops up a keypad
    std::string currentKsv;       // CurrentKSV: full path of the current strategy
    bool changeKsv = false;       // ChangeKSV: the user saved that strategy
};

Settings readSettings(const ProfileFile& file);

// Records the current strategy for other programs: CurrentKSV with its path
// and ChangeKSV "1" after a save, "0" after an open or a new strategy. Both
// keys change in one replacement of the file.
Status writeCurrentStrategy(ProfileFile& file, std::string_view strategyPath, bool saved);

}  // namespace kestrune
