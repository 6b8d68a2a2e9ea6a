#include "app/command_table.h"

#include <array>

#include "app/run_control.h"

namespace kestrune {
namespace {

constexpr int id(std::uint64_t command) {
    return static_cast<int>(command);
}

constexpr std::array kCommands = {
    CommandInfo{kCmdFileNew, MenuName::File, "&New", "Create a new strategy", EnableRule::Idle, true, true},
    CommandInfo{kCmdFileOpen, MenuName::File, "&Open...", "Open a strategy", EnableRule::Idle, true, true},
    CommandInfo{kCmdFileClose, MenuName::File, "&Close", "Close the strategy", EnableRule::Idle},
    CommandInfo{kCmdFileSave, MenuName::File, "&Save", "Save the strategy", EnableRule::Idle, true, true},
    CommandInfo{kCmdFileSaveAs, MenuName::File, "Save &As...", "Save the strategy under a new name",
                EnableRule::Idle},
    CommandInfo{kCmdSaveWithPassword, MenuName::File, "Save with &Password...",
                "Save the strategy with a password", EnableRule::Idle},
    CommandInfo{kCmdConvertHistory, MenuName::File, "Convert &History Files...",
                "Convert historical files to text", EnableRule::Idle, false},
    CommandInfo{kCmdAddTask, MenuName::Strategy, "Add &Task", "Add a new scan task",
                EnableRule::TaskOrDisplayActive},
    CommandInfo{kCmdAddDisplay, MenuName::Strategy, "Add &Display", "Add a new display",
                EnableRule::TaskOrDisplayActive, false},
    CommandInfo{kCmdAddMainScript, MenuName::Strategy, "Add &Main Script", "Add the main script",
                EnableRule::NoMainScriptNotDevice, false},
    CommandInfo{kCmdAddDevices, MenuName::Strategy, "Add De&vices...", "Start the device manager",
                EnableRule::Idle, false},
    CommandInfo{kCmdRuntimePreferences, MenuName::Strategy, "Runtime &Preferences...",
                "Run options of the strategy", EnableRule::Idle, false},
    CommandInfo{id(kCmdStart), MenuName::Run, "&Start", "Start the strategy", EnableRule::ViewActiveIdle,
                true, true},
    CommandInfo{id(kCmdStop), MenuName::Run, "S&top", "Stop the strategy",
                EnableRule::RunningNotStoppingUnlocked, true, true},
    CommandInfo{id(kCmdPause), MenuName::Run, "&Pause", "Pause the scan tasks",
                EnableRule::RunningNotPausedUnlocked, true, true},
    CommandInfo{id(kCmdResume), MenuName::Run, "&Resume", "Resume the scan tasks",
                EnableRule::RunningPausedUnlocked, true, true},
    CommandInfo{id(kCmdLock), MenuName::Run, "&Lock", "Lock the operator input", EnableRule::RunningUnlocked,
                true, true},
    CommandInfo{id(kCmdUnlock), MenuName::Run, "&Unlock", "Unlock the operator input",
                EnableRule::RunningLocked, true, true},
    CommandInfo{kCmdRefreshScreen, MenuName::Run, "Re&fresh Screen", "Redraw the active window",
                EnableRule::RunningUnlocked, true, true},
    CommandInfo{kCmdChangePassword, MenuName::Security, "&Change Password...", "Change your password",
                EnableRule::SecurityModule, false},
    CommandInfo{kCmdUserAccounts, MenuName::Security, "&User Accounts...", "Set up user accounts",
                EnableRule::SecurityModule, false},
    CommandInfo{kCmdLogin, MenuName::Security, "Log&in...", "Log in", EnableRule::SecurityModule, false},
    CommandInfo{kCmdLogout, MenuName::Security, "Log&out", "Log out", EnableRule::SecurityModule, false},
    CommandInfo{kCmdTaskToolbox, MenuName::View, "&Task Tool Box", "Show or hide the task designer tool box",
                EnableRule::Idle},
    CommandInfo{kCmdDisplayToolbox, MenuName::View, "&Display Tool Box",
                "Show or hide the display designer tool box", EnableRule::Idle},
    CommandInfo{kCmdEventLogWindow, MenuName::View, "&Event Log", "Show the event log", EnableRule::Always,
                false},
    CommandInfo{kCmdThreadScheduling, MenuName::Tools, "Thread &Scheduling...",
                "Setup thread scheduling options", EnableRule::Always, false},
};

}  // namespace

bool ruleAllows(EnableRule rule, const CommandState& s) {
    switch (rule) {
        case EnableRule::Always:
            return true;
        case EnableRule::ViewActiveIdle:
            return s.viewActive && s.idle();
        case EnableRule::RunningNotStoppingUnlocked:
            return s.running && !s.stopping && !s.locked;
        case EnableRule::RunningNotPausedUnlocked:
            return s.running && !s.paused && !s.locked;
        case EnableRule::RunningPausedUnlocked:
            return s.running && s.paused && !s.locked;
        case EnableRule::RunningUnlocked:
            return s.running && !s.locked;
        case EnableRule::RunningLocked:
            return s.running && s.locked;
        case EnableRule::Idle:
            return s.idle();
        case EnableRule::TaskOrDisplayActive:
            return s.activeChild == ActiveChild::Task || s.activeChild == ActiveChild::Display;
        case EnableRule::NoMainScriptNotDevice:
            return !s.deviceTarget && !s.hasMainScript;
        case EnableRule::SecurityModule:
            return false;
    }
    return false;
}

std::span<const CommandInfo> mainFrameCommands() {
    return kCommands;
}

const CommandInfo* findCommand(int commandId) {
    for (const CommandInfo& info : kCommands)
        if (info.id == commandId) return &info;
    return nullptr;
}

bool isCommandEnabled(int commandId, const CommandState& state) {
    if ((commandId >= kFirstTaskTool && commandId <= kLastTaskTool) ||
        (commandId >= kFirstDisplayTool && commandId <= kLastDisplayTool))
        return true;
    const CommandInfo* info = findCommand(commandId);
    return info != nullptr && info->available && ruleAllows(info->rule, state);
}

}  // namespace kestrune
