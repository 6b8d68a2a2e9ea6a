// The main frame around a real application: opening a strategy, command
// enabling through a run, starts that are refused, closing while running,
// the window rectangle, the recent files, the tool boxes and the task
// windows' clicks.

#include <QAction>
#include <QMdiArea>
#include <QTest>
#include <filesystem>

#include "app/system_info.h"
#include "blocks/control/calc_operators.h"
#include "blocks/control/calculation_block.h"
#include "components/tagdb/tag_database.h"
#include "engine/scan_task.h"
#include "gui/frame_fixture.h"
#include "gui/gui_test_registry.h"
#include "gui/task_window.h"
#include "gui/toolbox.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

using namespace kestrune;
using namespace kestrune::testing_support;

namespace {

constexpr int cmd(std::uint64_t id) {
    return static_cast<int>(id);
}

bool enabled(const CMainFrame& frame, int id) {
    QAction* action = frame.commandAction(id);
    return action != nullptr && action->isEnabled();
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        f = std::make_unique<FrameFixture>();
        QVERIFY(f->initialized);
        path = f->writeTwoTaskStrategy();
        QVERIFY(!path.isEmpty());
        QVERIFY(f->wired);
        QVERIFY(f->ui.errors().empty());
    }
    void cleanup() { f.reset(); }

    void openingATwoTaskStrategyGivesTwoTaskWindows() {
        QVERIFY(f->frame->openFile(path));
        const std::vector<TaskWindow*> windows = f->frame->taskWindows();
        QCOMPARE(windows.size(), std::size_t{2});
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("Task Designer: TASK1"));
        QCOMPARE(windows[1]->windowTitle(), QStringLiteral("Task Designer: TASK2"));
        QCOMPARE(f->frame->windowTitle(), QStringLiteral("Kestrune - plant.ksv"));
        QCOMPARE(f->frame->activeTaskWindow(), windows[0]);
        // Opening shows the task tool box with the pointer current.
        QVERIFY(f->frame->taskToolboxShown());
        QCOMPARE(f->frame->currentTaskTool(), kFirstTaskTool);
        QVERIFY(f->frame->taskToolbox()->toolAction(kFirstTaskTool)->isChecked());
        QVERIFY(f->ui.errors().empty());
    }

    void aFileThatDoesNotOpenKeepsTheOpenStrategy() {
        QVERIFY(f->frame->openFile(path));
        const QString bad = QString::fromStdString((f->dir / "bad.ksv").string());
        TempDir::write(bad.toStdString(), "this is no strategy");
        QVERIFY(!f->frame->openFile(bad));
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{2});
        QCOMPARE(f->app->document()->path(), path.toStdString());
        QVERIFY(!f->ui.messages().empty());
        QVERIFY(QString::fromStdString(f->ui.messages().back())
                    .startsWith(QStringLiteral("Invalid file format: ")));
    }

    void openedFilesGoToTheRecentListNewestFirst() {
        const QString other = f->writeTwoTaskStrategy("other.ksv");
        QVERIFY(f->frame->openFile(path));
        QVERIFY(f->frame->openFile(other));
        QVERIFY(f->frame->openFile(path));
        const std::vector<std::string> expected = {path.toStdString(), other.toStdString()};
        QCOMPARE(f->frame->recentFiles().files(), expected);
        QCOMPARE(f->settings->value(QStringLiteral("Recent File List/File1")).toString(), path);
        QCOMPARE(f->settings->value(QStringLiteral("Recent File List/File2")).toString(), other);
        // A new frame on the same settings starts with the same list.
        f->frame = std::make_unique<CMainFrame>(*f->app, FrameOptions{f->settings.get(), false});
        QCOMPARE(f->frame->recentFiles().files(), expected);
    }

    void commandEnablingFollowsTheRunState() {
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)) == false);  // nothing open yet
        QVERIFY(f->frame->openFile(path));
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
        QVERIFY(!enabled(*f->frame, cmd(kCmdStop)));
        QVERIFY(enabled(*f->frame, kCmdFileSave));

        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QVERIFY(f->run().running());
        QVERIFY(!enabled(*f->frame, cmd(kCmdStart)));
        QVERIFY(enabled(*f->frame, cmd(kCmdStop)));
        QVERIFY(enabled(*f->frame, cmd(kCmdPause)));
        QVERIFY(!enabled(*f->frame, cmd(kCmdResume)));
        QVERIFY(enabled(*f->frame, kCmdRefreshScreen));
        QVERIFY(!enabled(*f->frame, kCmdFileOpen));
        QVERIFY(!enabled(*f->frame, kCmdFileSave));
        QVERIFY(!f->frame->runCommand(kCmdFileOpen));

        QVERIFY(f->frame->runCommand(cmd(kCmdPause)));
        QVERIFY(f->run().paused());
        QVERIFY(!enabled(*f->frame, cmd(kCmdPause)));
        QVERIFY(enabled(*f->frame, cmd(kCmdResume)));
        QVERIFY(f->frame->runCommand(cmd(kCmdResume)));
        QVERIFY(!f->run().paused());

        // Locked: only Unlock (the security module locks; here it is set directly).
        f->run().setLocked(true);
        QVERIFY(enabled(*f->frame, cmd(kCmdUnlock)));
        for (std::uint64_t id : {kCmdStop, kCmdPause, kCmdResume, kCmdLock})
            QVERIFY2(!enabled(*f->frame, cmd(id)), qPrintable(QString::number(id)));
        QVERIFY(!enabled(*f->frame, kCmdRefreshScreen));
        f->run().setLocked(false);
        QVERIFY(enabled(*f->frame, cmd(kCmdStop)));

        QVERIFY(f->frame->runCommand(cmd(kCmdStop)));
        QTRY_VERIFY_WITH_TIMEOUT(f->run().isIdle(), 20000);
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
        QVERIFY(!enabled(*f->frame, cmd(kCmdStop)));
        QVERIFY(enabled(*f->frame, kCmdFileOpen));
    }

    void startThenStopRunsAndStopsTheStrategy() {
        QVERIFY(f->frame->openFile(path));
        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QVERIFY(f->run().running());
        QVERIFY((systemInfo(f->app->tags()) & kSystemInfoRunning) != 0);
        QTRY_COMPARE_WITH_TIMEOUT(f->frame->paneText(0), QStringLiteral("Running normally"), 5000);
        QCOMPARE(f->frame->paneText(1), QStringLiteral("Error Count:0"));
        QTRY_VERIFY_WITH_TIMEOUT(f->run().runningTaskCount() == 2, 5000);

        QVERIFY(f->frame->runCommand(cmd(kCmdStop)));
        // The stop finishes on the event loop: 0x4D1 through the main queue,
        // retried by timer 200 until every task thread has ended.
        QTRY_VERIFY_WITH_TIMEOUT(f->run().isIdle(), 20000);
        QCOMPARE(f->run().runningTaskCount(), std::size_t{0});
        QVERIFY((systemInfo(f->app->tags()) & kSystemInfoRunning) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(f->frame->paneText(0), QStringLiteral("Stopped normally"), 5000);
        QVERIFY(std::filesystem::exists(f->dir / "plant.HLD"));
        QVERIFY(f->ui.errors().empty());
    }

    void runErrorsShowInTheStatusBarAndTheErrorLimitStopsTheRun() {
        // A calculation that divides by zero on every scan, with an error limit of 2.
        StrategyDocument& document = *f->app->document();
        NewStrategy(document);
        document.options().errorLimit = 2;
        StrategyTask& task = document.task(0);
        static_cast<ScanTask&>(task.taskObject()).timing().setPeriod(ScanPeriod{0, 0, 0, 50});
        auto* calc = static_cast<CalculationBlock*>(task.addBlock(kCalculationKind, {10, 10, 42, 42}).block);
        QVERIFY(calc != nullptr);
        calc->setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
        calc->setOperandText(0, "1");
        calc->setOperandText(1, "0");
        const std::string divide = (f->dir / "divide.ksv").string();
        QVERIFY(WriteStrategyFile(document, divide).ok());
        QVERIFY(f->frame->openFile(QString::fromStdString(divide)));

        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QTRY_VERIFY_WITH_TIMEOUT(f->run().isIdle(), 20000);
        QCOMPARE(f->run().lastStopReason(), StopReason::ErrorLimit);
        QCOMPARE(f->frame->paneText(0), QStringLiteral("Division by zero cannot be handled at TASK1 : SOC1"));
        QCOMPARE(f->frame->paneText(1), QStringLiteral("Error Count:3"));
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
    }

    void aStartRefusedAtTheSaveQuestionLeavesEverythingIdle() {
        QVERIFY(f->frame->openFile(path));
        f->app->document()->setModified(true);
        f->ui.answer(Answer::Cancel);
        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QVERIFY(f->run().isIdle());
        QVERIFY(!f->run().running());
        QCOMPARE(f->run().runningTaskCount(), std::size_t{0});
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
        QVERIFY(!enabled(*f->frame, cmd(kCmdStop)));
        QVERIFY((systemInfo(f->app->tags()) & kSystemInfoRunning) == 0);
        const auto shown = f->ui.shown();
        QVERIFY(!shown.empty());
        QCOMPARE(QString::fromStdString(shown.back().text),
                 QString::fromStdString(strings::text(kMsgStrategyModifiedSave)));
        QVERIFY(f->ui.errors().empty());
    }

    void aStartRefusedBySecurityLeavesEverythingIdle() {
        QVERIFY(f->frame->openFile(path));
        f->app->document()->options().securityChecking = true;
        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QVERIFY(f->run().isIdle());
        QCOMPARE(f->run().runningTaskCount(), std::size_t{0});
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
        QCOMPARE(f->ui.messages().back(), strings::text(kMsgPasswordFileMissing));
    }

    void closingIsRefusedWhileRunning() {
        QVERIFY(f->frame->openFile(path));
        f->frame->show();
        QVERIFY(f->frame->runCommand(cmd(kCmdStart)));
        QVERIFY(!f->frame->close());
        QCOMPARE(f->ui.messages().back(), strings::text(kMsgProcessStillRunning));
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{2});
        QVERIFY(f->frame->runCommand(cmd(kCmdStop)));
        QTRY_VERIFY_WITH_TIMEOUT(f->run().isIdle(), 20000);
        QVERIFY(f->frame->close());
        QVERIFY(f->frame->taskWindows().empty());
    }

    void closingSavesTheWindowRectangleFirst() {
        f->frame->setGeometry(30, 40, 700, 500);
        f->frame->show();
        QVERIFY(f->frame->close());
        QCOMPARE(f->settings->value(QStringLiteral("Placement Section/Window rectangle")).toString(),
                 QStringLiteral("30 40 730 540"));
    }

    void aStoredRectangleIsClippedToTheScreen() {
        f->settings->setValue(QStringLiteral("Placement Section/Window rectangle"),
                              QStringLiteral("-50 20 5000 700"));
        QVERIFY(f->frame->restoreWindowRect(QSize(1280, 800)));
        QCOMPARE(f->frame->geometry(), QRect(0, 20, 1280, 680));
        f->settings->setValue(QStringLiteral("Placement Section/Window rectangle"),
                              QStringLiteral("100 2000 900 -5"));
        QVERIFY(f->frame->restoreWindowRect(QSize(1280, 800)));
        QCOMPARE(f->frame->geometry(), QRect(100, 0, 800, 800));
        f->settings->setValue(QStringLiteral("Placement Section/Window rectangle"),
                              QStringLiteral("garbage"));
        QVERIFY(!f->frame->restoreWindowRect(QSize(1280, 800)));
    }

    void addTaskMakesAThirdWindow() {
        QVERIFY(f->frame->openFile(path));
        QVERIFY(f->frame->runCommand(kCmdAddTask));
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{3});
        QCOMPARE(f->frame->taskWindows().back()->windowTitle(), QStringLiteral("Task Designer: TASK3"));
        QCOMPARE(f->app->document()->taskCount(), std::size_t{3});
        QVERIFY(f->app->document()->modified());
    }

    void closeLeavesNoViewAndNewMakesOne() {
        QVERIFY(f->frame->openFile(path));
        QVERIFY(f->frame->runCommand(kCmdFileClose));
        QVERIFY(f->frame->taskWindows().empty());
        QVERIFY(!f->frame->strategyOpen());
        QVERIFY(!enabled(*f->frame, cmd(kCmdStart)));
        QCOMPARE(f->frame->windowTitle(), QStringLiteral("Kestrune"));
        QVERIFY(f->frame->runCommand(kCmdFileNew));
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{1});
        QCOMPARE(f->frame->taskWindows().front()->windowTitle(), QStringLiteral("Task Designer: TASK1"));
        QVERIFY(enabled(*f->frame, cmd(kCmdStart)));
    }

    void closingAModifiedStrategyAsksAndCancelKeepsIt() {
        QVERIFY(f->frame->openFile(path));
        f->app->document()->setModified(true);
        f->ui.answer(Answer::Cancel);
        QVERIFY(f->frame->runCommand(kCmdFileClose));
        QVERIFY(f->frame->strategyOpen());
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(f->ui.shown().back().text),
                 QStringLiteral("Save changes to plant.ksv?"));
    }

    void saveWritesTheFileAndKeepsTheWindowPlacement() {
        QVERIFY(f->frame->openFile(path));
        f->frame->resize(1200, 900);
        TaskWindow* second = f->frame->taskWindows()[1];
        second->setGeometry(40, 50, 400, 300);
        f->app->document()->setModified(true);
        QVERIFY(f->frame->runCommand(kCmdFileSave));
        QVERIFY(!f->app->document()->modified());
        QVERIFY(f->frame->openFile(path));
        QCOMPARE(f->app->document()->task(1).placement().normal, (Rect{40, 50, 440, 350}));
        QCOMPARE(f->frame->taskWindows()[1]->geometry(), QRect(40, 50, 400, 300));
    }

    void clickingABlockSelectsItAndSaysWhatItIs() {
        QVERIFY(f->frame->openFile(path));
        TaskView* view = f->frame->taskWindows()[0]->view();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(kRamp.centre().x, kRamp.centre().y));
        GraphObject* selected = view->selection();
        QVERIFY(selected != nullptr);
        QCOMPARE(selected->kind(), kRampKind);
        QTRY_COMPARE(f->frame->paneText(0), QStringLiteral("RMP1:RMP1"));
        // The wire between the two boxes.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(150, 75));
        QVERIFY(view->selection() != nullptr);
        QVERIFY(view->selection()->isWire());
        QTRY_VERIFY(f->frame->paneText(0).contains(QStringLiteral(" --> SOC1")));
        // Empty canvas clears the selection.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(700, 600));
        QVERIFY(view->selection() == nullptr);
        for (GraphObject* object : f->app->document()->task(0).graph().objects().items())
            QVERIFY(!object->hasFlag(kFlagSelected));
    }

    void toolboxesFollowTheirCommandsAndTheirToolsCheck() {
        QVERIFY(f->frame->openFile(path));
        QVERIFY(!f->frame->displayToolboxShown());
        QVERIFY(f->frame->runCommand(kCmdDisplayToolbox));
        QVERIFY(f->frame->displayToolboxShown());
        QVERIFY(f->frame->commandAction(kCmdDisplayToolbox)->isChecked());
        QVERIFY(f->frame->runCommand(kCmdDisplayToolbox));
        QVERIFY(!f->frame->displayToolboxShown());
        QVERIFY(!f->frame->commandAction(kCmdDisplayToolbox)->isChecked());

        QAction* pid = f->frame->commandAction(34111);
        QVERIFY(pid != nullptr);
        QCOMPARE(pid->toolTip(), QStringLiteral("PID"));
        QVERIFY(!pid->icon().isNull());
        pid->trigger();
        QCOMPARE(f->frame->currentTaskTool(), 34111);
        QVERIFY(pid->isChecked());
        QVERIFY(!f->frame->commandAction(kFirstTaskTool)->isChecked());
        QCOMPARE(f->frame->displayToolbox()->toolAction(34012)->toolTip(), QStringLiteral("Analog Meter"));
        // Task tools 34100..34129 and display tools 34000..34024, each with a button.
        QCOMPARE(f->frame->taskToolbox()->tools().size(), std::size_t{30});
        QCOMPARE(f->frame->displayToolbox()->tools().size(), std::size_t{25});
    }

  private:
    static constexpr Rect kRamp = FrameFixture::kRampBox;
    std::unique_ptr<FrameFixture> f;
    QString path;
};

KESTRUNE_GUI_TEST(MainFrameTest);
#include "main_frame_test.moc"
