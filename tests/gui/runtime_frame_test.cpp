// The main frame in runtime mode: the designers hidden, the runtime title,
// and the strategy still started and stopped from the frame.

#include <QAction>
#include <QTest>

#include "gui/frame_fixture.h"
#include "gui/gui_test_registry.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

using namespace kestrune;
using namespace kestrune::testing_support;

class RuntimeFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void theDesignersAreHiddenAndTheRunWorks() {
        FrameFixture f(true);
        QVERIFY(f.initialized);
        const QString path = f.writeTwoTaskStrategy();
        QVERIFY(f.frame->openFile(path));
        QVERIFY(f.frame->runtimeMode());
        QVERIFY(f.frame->taskWindows().empty());
        QCOMPARE(f.frame->windowTitle(),
                 QString::fromStdString(strings::text(kStrRuntimeTitle)) + QStringLiteral(" - plant.ksv"));
        QVERIFY(!f.frame->taskToolboxShown());
        QVERIFY(!f.frame->commandAction(kCmdTaskToolbox)->isEnabled());
        f.frame->showDisplayToolbox(true);
        QVERIFY(!f.frame->displayToolboxShown());

        QVERIFY(f.frame->commandAction(static_cast<int>(kCmdStart))->isEnabled());
        QVERIFY(f.frame->runCommand(static_cast<int>(kCmdStart)));
        QVERIFY(f.run().running());
        QVERIFY(f.frame->runCommand(static_cast<int>(kCmdStop)));
        QTRY_VERIFY_WITH_TIMEOUT(f.run().isIdle(), 20000);
        QVERIFY(f.ui.errors().empty());
    }
};

KESTRUNE_GUI_TEST(RuntimeFrameTest);
#include "runtime_frame_test.moc"
