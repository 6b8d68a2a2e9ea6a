#pragma once
// The main frame's commands as data: id, menu, menu text, tooltip and the
// rule that enables it. The rules are pure functions of the run state and of
// what a front end shows, so that they are checked without a window. There
// is one copy: the desktop program enables its menus by it, run control
// refuses by it a run command that is not enabled (Start while running),
// and a headless or web front end offers what it allows.
// A command whose module is not built yet stays in its menu, disabled.

#include <cstdint>
#include <span>
#include <string_view>

namespace kestrune {

// Command ids of the main frame (the run commands are in app/run_control.h).
inline constexpr int kCmdFileNew = 57600;
inline constexpr int kCmdFileOpen = 57601;
inline constexpr int kCmdFileClose = 57602;
inline constexpr int kCmdFileSave = 57603;
inline constexpr int kCmdFileSaveAs = 57604;
inline constexpr int kCmdSaveWithPassword = 32828;
inline constexpr int kCmdConvertHistory = 32777;
inline constexpr int kCmdAddTask = 32771;
inline constexpr int kCmdAddDisplay = 32773;
inline constexpr int kCmdAddMainScript = 32775;
inline constexpr int kCmdAddDevices = 32790;
inline constexpr int kCmdRuntimePreferences = 32815;
inline constexpr int kCmdChangePassword = 32816;
inline constexpr int kCmdUserAccounts = 32817;
inline constexpr int kCmdLogin = 32837;
inline constexpr int kCmdLogout = 32838;
inline constexpr int kCmdEventLogWindow = 32807;
inline constexpr int kCmdThreadScheduling = 34228;
inline constexpr int kCmdDisplayToolbox = 32801;
inline constexpr int kCmdTaskToolbox = 32792;
inline constexpr int kCmdRefreshScreen = 32834;

inline constexpr int kFirstTaskTool = 34100;
inline constexpr int kLastTaskTool = 34129;
inline constexpr int kFirstDisplayTool = 34000;
inline constexpr int kLastDisplayTool = 34024;

enum class ActiveChild : std::uint8_t { None, Task, Display, Script };

// What the enabling rules look at.
struct CommandState {
    bool running = false;
    bool stopping = false;
    bool paused = false;
    bool locked = false;
    // A strategy view is active (in runtime mode, where the designers are
    // hidden, an open strategy counts as one).
    bool viewActive = false;
    ActiveChild activeChild = ActiveChild::None;
    bool deviceTarget = false;  // the strategy is for a device
    bool hasMainScript = false;

    bool idle() const { return !running && !stopping; }
};

enum class EnableRule : std::uint8_t {
    Always,
    ViewActiveIdle,              // Start
    RunningNotStoppingUnlocked,  // Stop
    RunningNotPausedUnlocked,    // Pause
    RunningPausedUnlocked,       // Resume
    RunningUnlocked,             // Lock, Refresh Screen
    RunningLocked,               // Unlock
    Idle,                        // file commands, preferences, toolbox toggles
    TaskOrDisplayActive,         // Add task, Add display
    NoMainScriptNotDevice,       // Add main script
    SecurityModule,              // decided by the security module
};

bool ruleAllows(EnableRule rule, const CommandState& state);

enum class MenuName : std::uint8_t { File, Strategy, Run, Security, View, Tools };

struct CommandInfo {
    int id = 0;
    MenuName menu = MenuName::File;
    std::string_view text;     // the menu entry
    std::string_view tooltip;  // toolbar and status text
    EnableRule rule = EnableRule::Always;
    // False while the module behind the command is not part of the program.
    bool available = true;
    bool onToolbar = false;
};

// Every command of the main frame's table, in menu order.
std::span<const CommandInfo> mainFrameCommands();
// nullptr for an id the table does not hold.
const CommandInfo* findCommand(int id);

// Whether the frame enables command `id`: a command of the table by its rule
// (and only when available); a task or display tool always.
bool isCommandEnabled(int id, const CommandState& state);

}  // namespace kestrune
