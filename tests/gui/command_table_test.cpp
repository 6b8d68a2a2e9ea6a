// The main frame's command table and its enabling rules, without a window.

#include <QTest>
#include <set>

#include "app/run_control.h"
#include "gui/command_table.h"
#include "gui/gui_test_registry.h"

using namespace kestrune;

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

}  // namespace

class CommandTableTest : public QObject {
    Q_OBJECT

  private slots:
    void theTableHoldsEveryCommandOnce() {
        const std::set<int> expected = {32796, 32797, 31078, 32830, 32798, 32842, 32834, 57600, 57601,
                                        57602, 57603, 57604, 32828, 32777, 32771, 32773, 32775, 32790,
                                        32815, 32816, 32817, 32837, 32838, 32807, 34228, 32801, 32792};
        std::set<int> ids;
        for (const CommandInfo& info : mainFrameCommands()) {
            QVERIFY2(ids.insert(info.id).second, qPrintable(QString::number(info.id)));
            QVERIFY(!info.text.empty());
            QVERIFY(!info.tooltip.empty());
        }
        QCOMPARE(ids, expected);
        QVERIFY(findCommand(32796) != nullptr);
        QVERIFY(findCommand(12345) == nullptr);
    }

    void idleEnablesStartAndTheFileCommandsOnly() {
        const CommandState s = idleWithView();
        QVERIFY(isCommandEnabled(cmd(kCmdStart), s));
        for (int id : {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs,
                       kCmdSaveWithPassword, kCmdTaskToolbox, kCmdDisplayToolbox})
            QVERIFY2(isCommandEnabled(id, s), qPrintable(QString::number(id)));
        for (std::uint64_t id : {kCmdStop, kCmdPause, kCmdResume, kCmdLock, kCmdUnlock})
            QVERIFY2(!isCommandEnabled(cmd(id), s), qPrintable(QString::number(id)));
        QVERIFY(!isCommandEnabled(kCmdRefreshScreen, s));
    }

    void startNeedsAnActiveView() {
        CommandState s;
        QVERIFY(!isCommandEnabled(cmd(kCmdStart), s));
        s.viewActive = true;
        QVERIFY(isCommandEnabled(cmd(kCmdStart), s));
    }

    void runningEnablesStopPauseLockAndRefresh() {
        const CommandState s = running();
        QVERIFY(!isCommandEnabled(cmd(kCmdStart), s));
        QVERIFY(isCommandEnabled(cmd(kCmdStop), s));
        QVERIFY(isCommandEnabled(cmd(kCmdPause), s));
        QVERIFY(!isCommandEnabled(cmd(kCmdResume), s));
        QVERIFY(isCommandEnabled(cmd(kCmdLock), s));
        QVERIFY(!isCommandEnabled(cmd(kCmdUnlock), s));
        QVERIFY(isCommandEnabled(kCmdRefreshScreen, s));
        for (int id : {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs,
                       kCmdSaveWithPassword, kCmdTaskToolbox, kCmdDisplayToolbox})
            QVERIFY2(!isCommandEnabled(id, s), qPrintable(QString::number(id)));
    }

    void pausedOffersResumeInsteadOfPause() {
        CommandState s = running();
        s.paused = true;
        QVERIFY(!isCommandEnabled(cmd(kCmdPause), s));
        QVERIFY(isCommandEnabled(cmd(kCmdResume), s));
        QVERIFY(isCommandEnabled(cmd(kCmdStop), s));
    }

    void lockedOffersOnlyUnlock() {
        CommandState s = running();
        s.locked = true;
        QVERIFY(isCommandEnabled(cmd(kCmdUnlock), s));
        for (std::uint64_t id : {kCmdStart, kCmdStop, kCmdPause, kCmdResume, kCmdLock})
            QVERIFY2(!isCommandEnabled(cmd(id), s), qPrintable(QString::number(id)));
        QVERIFY(!isCommandEnabled(kCmdRefreshScreen, s));
        s.paused = true;
        QVERIFY(!isCommandEnabled(cmd(kCmdResume), s));
    }

    void stoppingDisablesStopAndStart() {
        CommandState s = running();
        s.stopping = true;
        QVERIFY(!isCommandEnabled(cmd(kCmdStop), s));
        QVERIFY(!isCommandEnabled(cmd(kCmdStart), s));
        QVERIFY(!isCommandEnabled(kCmdFileOpen, s));
        // Stopping without running (the last tasks are ending) is not idle either.
        s.running = false;
        QVERIFY(!isCommandEnabled(cmd(kCmdStart), s));
        QVERIFY(!isCommandEnabled(kCmdFileSave, s));
    }

    void addTaskFollowsTheActiveChild() {
        CommandState s;
        QVERIFY(!ruleAllows(EnableRule::TaskOrDisplayActive, s));
        s.activeChild = ActiveChild::Display;
        QVERIFY(ruleAllows(EnableRule::TaskOrDisplayActive, s));
        s.activeChild = ActiveChild::Script;
        QVERIFY(!ruleAllows(EnableRule::TaskOrDisplayActive, s));
        s.activeChild = ActiveChild::Task;
        QVERIFY(isCommandEnabled(kCmdAddTask, s));
    }

    void mainScriptOnlyOnceAndNotForADevice() {
        CommandState s;
        QVERIFY(ruleAllows(EnableRule::NoMainScriptNotDevice, s));
        s.hasMainScript = true;
        QVERIFY(!ruleAllows(EnableRule::NoMainScriptNotDevice, s));
        s.hasMainScript = false;
        s.deviceTarget = true;
        QVERIFY(!ruleAllows(EnableRule::NoMainScriptNotDevice, s));
    }

    void commandsOfModulesNotBuiltStayDisabled() {
        CommandState s = idleWithView();
        for (int id : {kCmdAddDisplay, kCmdConvertHistory, kCmdLogin, kCmdThreadScheduling}) {
            QVERIFY(findCommand(id) != nullptr);
            QVERIFY(!findCommand(id)->available);
            QVERIFY2(!isCommandEnabled(id, s), qPrintable(QString::number(id)));
        }
    }

    void toolsAreAlwaysEnabled() {
        CommandState s = running();
        s.locked = true;
        for (int id : {kFirstTaskTool, 34111, kLastTaskTool, kFirstDisplayTool, kLastDisplayTool})
            QVERIFY2(isCommandEnabled(id, s), qPrintable(QString::number(id)));
        QVERIFY(!isCommandEnabled(34130, s));
        QVERIFY(!isCommandEnabled(34025, s));
    }
};

KESTRUNE_GUI_TEST(CommandTableTest);
#include "command_table_test.moc"
