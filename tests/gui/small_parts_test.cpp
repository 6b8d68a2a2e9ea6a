// The desktop program's small parts: the window rectangle text and its
// clipping rule, the recent file list, the command line, the main queue
// pump, the Qt timers, the port list dialog and the single-instance socket.

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <thread>

#include "gui/command_line.h"
#include "gui/gui_test_registry.h"
#include "gui/main_queue_pump.h"
#include "gui/port_list_dialog.h"
#include "gui/qt_timer_service.h"
#include "gui/recent_file_list.h"
#include "gui/single_instance.h"
#include "gui/window_rect.h"
#include "platform/main_queue.h"

using namespace kestrune;

class SmallPartsTest : public QObject {
    Q_OBJECT

  private slots:
    void windowRectTextReadsFourNumbers() {
        QCOMPARE(parseWindowRect("10 20 800 600"), std::optional<Rect>(Rect{10, 20, 800, 600}));
        QCOMPARE(parseWindowRect(" -5  7 9 11 "), std::optional<Rect>(Rect{-5, 7, 9, 11}));
        QVERIFY(!parseWindowRect("10 20 800").has_value());
        QVERIFY(!parseWindowRect("10 20 800 600 5").has_value());
        QVERIFY(!parseWindowRect("a b c d").has_value());
        QVERIFY(!parseWindowRect("").has_value());
        QCOMPARE(formatWindowRect({-1, 2, 300, 400}), std::string("-1 2 300 400"));
    }

    void clippingBringsTheRectangleOntoTheScreen() {
        const Size screen{1280, 800};
        // Inside: unchanged.
        QCOMPARE(clipWindowRect({10, 10, 800, 600}, screen), (Rect{10, 10, 800, 600}));
        // Right and bottom beyond the screen become its size.
        QCOMPARE(clipWindowRect({100, 50, 2000, 1000}, screen), (Rect{100, 50, 1280, 800}));
        // Negative right or bottom as well.
        QCOMPARE(clipWindowRect({100, 50, -3, -4}, screen), (Rect{100, 50, 1280, 800}));
        // Left or top outside 0 .. size become 0.
        QCOMPARE(clipWindowRect({-20, -30, 500, 400}, screen), (Rect{0, 0, 500, 400}));
        QCOMPARE(clipWindowRect({1300, 900, 1280, 800}, screen), (Rect{0, 0, 1280, 800}));
        // The edges themselves are inside.
        QCOMPARE(clipWindowRect({0, 0, 1280, 800}, screen), (Rect{0, 0, 1280, 800}));
        QCOMPARE(clipWindowRect({1280, 800, 1280, 800}, screen), (Rect{1280, 800, 1280, 800}));
    }

    void recentFilesKeepFourNewestFirst() {
        RecentFileList list;
        for (const char* f : {"a", "b", "c", "d", "e"}) list.add(f);
        QCOMPARE(list.files(), (std::vector<std::string>{"e", "d", "c", "b"}));
        list.add("c");
        QCOMPARE(list.files(), (std::vector<std::string>{"c", "e", "d", "b"}));
        list.add("");
        QCOMPARE(list.files().size(), std::size_t{4});
        list.remove("e");
        QCOMPARE(list.files(), (std::vector<std::string>{"c", "d", "b"}));
        list.assign({"x", "", "x", "y", "z", "w", "v"});
        QCOMPARE(list.files(), (std::vector<std::string>{"x", "y", "z", "w"}));
    }

    void commandLineForms() {
        LaunchOptions o = parseCommandLine({"plant.ksv"});
        QVERIFY(o.ok());
        QCOMPARE(o.strategy, std::string("plant.ksv"));
        QVERIFY(!o.runtime);
        o = parseCommandLine({"--runtime", "plant.ksv"});
        QVERIFY(o.ok() && o.runtime);
        QCOMPARE(o.strategy, std::string("plant.ksv"));
        o = parseCommandLine({"--screenshot", "out.png", "plant.ksv"});
        QVERIFY(o.ok());
        QCOMPARE(o.screenshot, std::string("out.png"));
        QCOMPARE(o.strategy, std::string("plant.ksv"));
        QVERIFY(parseCommandLine({}).ok());
        QVERIFY(!parseCommandLine({"--runtime"}).ok());
        QVERIFY(!parseCommandLine({"--screenshot"}).ok());
        QVERIFY(!parseCommandLine({"--screenshot", "out.png"}).ok());
        QVERIFY(!parseCommandLine({"a.ksv", "b.ksv"}).ok());
        QVERIFY(!parseCommandLine({"--bogus"}).ok());
        QVERIFY(parseCommandLine({"--help"}).help);
    }

    void postsFromAnotherThreadAreDrainedByTheEventLoop() {
        MainQueue queue;
        std::vector<MessageId> handled;
        MainQueuePump pump(queue,
                           [&] { queue.drain([&](const MainMessage& m) { handled.push_back(m.id); }); });
        std::thread poster([&] {
            queue.post(kMsgRunErrorReport, 1);
            queue.post(kMsgBeginRunStop);
        });
        poster.join();
        QVERIFY(handled.empty());  // nothing runs until the event loop does
        QTRY_COMPARE(handled.size(), std::size_t{2});
        QCOMPARE(handled[0], kMsgRunErrorReport);
        QCOMPARE(handled[1], kMsgBeginRunStop);
        // One wake-up stood for both posts.
        QCOMPARE(pump.passes(), 1);
    }

    void messagesWaitingBeforeThePumpAreDrainedToo() {
        MainQueue queue;
        queue.post(kMsgFinishRunStop);
        int handled = 0;
        MainQueuePump pump(queue,
                           [&] { handled += static_cast<int>(queue.drain([](const MainMessage&) {})); });
        QTRY_COMPARE(handled, 1);
    }

    void aLateWakeUpAfterThePumpWentFindsNothingToCall() {
        MainQueue queue;
        {
            MainQueuePump pump(queue, [] {});
        }
        QVERIFY(queue.post(kMsgBeginRunStop));  // must not touch the gone pump
        QCoreApplication::processEvents();
        QCOMPARE(queue.size(), std::size_t{1});
    }

    void qtTimersElapseOnTheEventLoopUntilKilled() {
        QtTimerService timers;
        std::vector<int> fired;
        timers.setHandler([&](int id) {
            fired.push_back(id);
            timers.killTimer(id);  // from inside its own timeout
        });
        QVERIFY(!timers.isSet(200));
        QVERIFY(timers.setTimer(200, std::chrono::milliseconds(10)));
        QVERIFY(timers.isSet(200));
        QTRY_COMPARE(fired.size(), std::size_t{1});
        QCOMPARE(fired[0], 200);
        QVERIFY(!timers.isSet(200));
        QTest::qWait(50);
        QCOMPARE(fired.size(), std::size_t{1});
        timers.killTimer(999);  // never set: nothing happens
    }

    void portListOkNeedsASelection() {
        PortListDialog dialog(QStringLiteral("Connect to:"), {"Setpoint", "Feedback", "Channel 2"});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to:"));
        QCOMPARE(dialog.list()->count(), 3);
        dialog.show();
        dialog.okButton()->click();
        QVERIFY(dialog.isVisible());  // nothing selected: the dialog stays
        QVERIFY(!dialog.chosen().has_value());
        dialog.list()->setCurrentRow(1);
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosen(), std::optional<int>(1));
    }

    void portListDoubleClickChoosesAndCancelChoosesNothing() {
        PortListDialog chosen(QStringLiteral("Output From:"), {"Out", "Alarm"});
        chosen.show();
        QListWidgetItem* item = chosen.list()->item(1);
        chosen.list()->setCurrentItem(item);
        emit chosen.list()->itemDoubleClicked(item);
        QCOMPARE(chosen.chosen(), std::optional<int>(1));

        PortListDialog cancelled(QStringLiteral("Output From:"), {"Out"});
        cancelled.show();
        cancelled.list()->setCurrentRow(0);
        cancelled.reject();
        QVERIFY(!cancelled.chosen().has_value());
    }

    void aSecondInstanceAsksTheFirstToComeForward() {
        const QString name = QStringLiteral("kestrune-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(!first.anotherIsRunning());
        QVERIFY(first.listening());
        QSignalSpy asked(&first, &SingleInstance::activationRequested);
        // The second start runs on another thread so that the first can answer.
        std::atomic<int> second{-1};
        std::thread starter([&] {
            SingleInstance other(name);
            second = other.anotherIsRunning(5000) ? 1 : 0;
        });
        QTRY_VERIFY(second.load() != -1);
        starter.join();
        QCOMPARE(second.load(), 1);
        QTRY_COMPARE(asked.count(), 1);
    }

    void aSocketLeftOverIsTakenOver() {
        const QString name = QStringLiteral("kestrune-stale-%1").arg(QCoreApplication::applicationPid());
        {
            SingleInstance gone(name);
            QVERIFY(!gone.anotherIsRunning());
        }
        SingleInstance next(name);
        QVERIFY(!next.anotherIsRunning(200));
        QVERIFY(next.listening());
    }
};

KESTRUNE_GUI_TEST(SmallPartsTest);
#include "small_parts_test.moc"
