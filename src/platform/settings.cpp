#include "platform/settings.h"

#include <algorithm>

namespace kestrune {

Settings readSettings(const ProfileFile& file) {
    const Settings defaults;
    Settings s;
    auto get = [&](std::string_view key, int fallback) {
        return file.getInt(kSettingsSection, key, fallback);
    };

    s.histDaysAgo = get("HistDaysAgo", defaults.histDaysAgo);
    // Above 1000 is a typing slip; a negative count is one too (it used to
    // read as a huge unsigned number, which the same rule turned into 30).
    if (s.histDaysAgo > 1000 || s.histDaysAgo < 0) s.histDaysAgo = defaults.histDaysAgo;

    s.singleTaskMode = get("SingleTaskMode", 0) != 0;

    s.networkPort = get("NetworkPort", defaults.networkPort);
    // A port the network layer would silently wrap to 16 bits is no port.
    if (s.networkPort < 1 || s.networkPort > 65535) s.networkPort = defaults.networkPort;

    s.dispThreadPriority = get("DispThreadPriority", 0);
    if (s.dispThreadPriority < 0 || s.dispThreadPriority > 5) s.dispThreadPriority = 0;

    // Missing and 0 both end up at the finest resolution.
    s.taskScheduleRes = std::clamp(get("TaskScheduleRes", 0), 5, 100);

    s.numericKeypad = get("NumericKeypad", 0) != 0;
    s.currentKsv = file.getString(kSettingsSection, "CurrentKSV");
    s.changeKsv = get("ChangeKSV", 0) != 0;
    return s;
}

Status writeCurrentStrategy(ProfileFile& file, std::string_view strategyPath, bool saved) {
    return file.writeStrings(kSettingsSection,
                             {{"CurrentKSV", strategyPath}, {"ChangeKSV", saved ? "1" : "0"}});
}

}  // namespace kestrune
