// The main frame's command table and its enabling rules, without a window.

#include <gtest/gtest.h>

#include <set>

#include "app/command_table.h"
#include "app/run_control.h"

namespace kestrune {
namespace {

CommandState idleWithView() {
    CommandState s;
    s.viewActive = true;
    s.activeChild = ActiveChild::Task;
    return s;
}

CommandState running() {
    CommandState s = idleWithView();
    s.running = true;
    return s;
}

constexpr int cmd(std::uint64_t id) {
    return static_cast<int>(id);
}

TEST(CommandTable, TheTableHoldsEveryCommandOnce) {
    const std::set<int> expected = {32796, 32797, 31078, 32830, 32798, 32842, 32834, 57600, 57601,
                                    57602, 57603, 57604, 32828, 32777, 32771, 32773, 32775, 32790,
                                    32815, 32816, 32817, 32837, 32838, 32807, 34228, 32801, 32792};
    std::set<int> ids;
    for (const CommandInfo& info : mainFrameCommands()) {
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
        EXPECT_FALSE(info.text.empty());
        EXPECT_FALSE(info.tooltip.empty());
    }
    EXPECT_EQ(ids, expected);
    EXPECT_TRUE(findCommand(32796) != nullptr);
    EXPECT_TRUE(findCommand(12345) == nullptr);
}

TEST(CommandTable, IdleEnablesStartAndTheFileCommandsOnly) {
    const CommandState s = idleWithView();
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdStart), s));
    for (int id : {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs,
                   kCmdSaveWithPassword, kCmdTaskToolbox, kCmdDisplayToolbox})
        EXPECT_TRUE(isCommandEnabled(id, s)) << id;
    for (std::uint64_t id : {kCmdStop, kCmdPause, kCmdResume, kCmdLock, kCmdUnlock})
        EXPECT_FALSE(isCommandEnabled(cmd(id), s)) << id;
    EXPECT_FALSE(isCommandEnabled(kCmdRefreshScreen, s));
}

TEST(CommandTable, StartNeedsAnActiveView) {
    CommandState s;
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdStart), s));
    s.viewActive = true;
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdStart), s));
}

TEST(CommandTable, RunningEnablesStopPauseLockAndRefresh) {
    const CommandState s = running();
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdStart), s));
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdStop), s));
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdPause), s));
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdResume), s));
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdLock), s));
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdUnlock), s));
    EXPECT_TRUE(isCommandEnabled(kCmdRefreshScreen, s));
    for (int id : {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs,
                   kCmdSaveWithPassword, kCmdTaskToolbox, kCmdDisplayToolbox})
        EXPECT_FALSE(isCommandEnabled(id, s)) << id;
}

TEST(CommandTable, PausedOffersResumeInsteadOfPause) {
    CommandState s = running();
    s.paused = true;
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdPause), s));
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdResume), s));
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdStop), s));
}

TEST(CommandTable, LockedOffersOnlyUnlock) {
    CommandState s = running();
    s.locked = true;
    EXPECT_TRUE(isCommandEnabled(cmd(kCmdUnlock), s));
    for (std::uint64_t id : {kCmdStart, kCmdStop, kCmdPause, kCmdResume, kCmdLock})
        EXPECT_FALSE(isCommandEnabled(cmd(id), s)) << id;
    EXPECT_FALSE(isCommandEnabled(kCmdRefreshScreen, s));
    s.paused = true;
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdResume), s));
}

TEST(CommandTable, StoppingDisablesStopAndStart) {
    CommandState s = running();
    s.stopping = true;
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdStop), s));
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdStart), s));
    EXPECT_FALSE(isCommandEnabled(kCmdFileOpen, s));
    // Stopping without running (the last tasks are ending) is not idle either.
    s.running = false;
    EXPECT_FALSE(isCommandEnabled(cmd(kCmdStart), s));
    EXPECT_FALSE(isCommandEnabled(kCmdFileSave, s));
}

TEST(CommandTable, AddTaskFollowsTheActiveChild) {
    CommandState s;
    EXPECT_FALSE(ruleAllows(EnableRule::TaskOrDisplayActive, s));
    s.activeChild = ActiveChild::Display;
    EXPECT_TRUE(ruleAllows(EnableRule::TaskOrDisplayActive, s));
    s.activeChild = ActiveChild::Script;
    EXPECT_FALSE(ruleAllows(EnableRule::TaskOrDisplayActive, s));
    s.activeChild = ActiveChild::Task;
    EXPECT_TRUE(isCommandEnabled(kCmdAddTask, s));
}

TEST(CommandTable, MainScriptOnlyOnceAndNotForADevice) {
    CommandState s;
    EXPECT_TRUE(ruleAllows(EnableRule::NoMainScriptNotDevice, s));
    s.hasMainScript = true;
    EXPECT_FALSE(ruleAllows(EnableRule::NoMainScriptNotDevice, s));
    s.hasMainScript = false;
    s.deviceTarget = true;
    EXPECT_FALSE(ruleAllows(EnableRule::NoMainScriptNotDevice, s));
}

TEST(CommandTable, CommandsOfModulesNotBuiltStayDisabled) {
    CommandState s = idleWithView();
    for (int id : {kCmdAddDisplay, kCmdConvertHistory, kCmdLogin, kCmdThreadScheduling}) {
        EXPECT_TRUE(findCommand(id) != nullptr);
        EXPECT_FALSE(findCommand(id)->available);
        EXPECT_FALSE(isCommandEnabled(id, s)) << id;
    }
}

TEST(CommandTable, ToolsAreAlwaysEnabled) {
    CommandState s = running();
    s.locked = true;
    for (int id : {kFirstTaskTool, 34111, kLastTaskTool, kFirstDisplayTool, kLastDisplayTool})
        EXPECT_TRUE(isCommandEnabled(id, s)) << id;
    EXPECT_FALSE(isCommandEnabled(34130, s));
    EXPECT_FALSE(isCommandEnabled(34025, s));
}

}  // namespace
}  // namespace kestrune
