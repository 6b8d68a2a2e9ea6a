#pragma once
// A main frame around a real application in a scratch directory: scripted
// questions, Qt timers, the main queue drained on the event loop, plenty of
// disk space, and the frame's settings in a file of its own. A strategy of
// two tasks (a ramp wired to a calculation in TASK1, an average in TASK2) is
// written there for the tests to open.

#include <QSettings>
#include <QTest>
#include <memory>

#include "app/application.h"
#include "document/document_commands.h"
#include "document/scripted_document_dialogs.h"
#include "document/strategy_document.h"
#include "gui/cmain_frame.h"
#include "gui/main_queue_pump.h"
#include "gui/qt_timer_service.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/wire.h"

namespace kestrune::testing_support {

class FrameFixture {
  public:
    static constexpr Rect kRampBox{60, 60, 92, 92};
    static constexpr Rect kCalcBox{220, 60, 252, 92};

    explicit FrameFixture(bool runtime = false) {
        ApplicationOptions options;
        options.ui = &ui;
        options.settingsFile = dir / "Kestrune.INI";
        options.eventLogDirectory = dir.path().string();
        options.timers = &timers;
        options.dialogs = &dialogs;
        options.diskProbe = [](const std::string&) { return std::optional<std::uint64_t>(1ull << 40); };
        app = std::make_unique<Application>(std::move(options));
        initialized = app->initialize().ok();
        pump = std::make_unique<MainQueuePump>(app->mainQueue(), [this] { app->drainMessages(); });
        settings = std::make_unique<QSettings>(QString::fromStdString((dir / "frame.conf").string()),
                                               QSettings::IniFormat);
        frame = std::make_unique<CMainFrame>(*app, FrameOptions{settings.get(), runtime});
    }
    ~FrameFixture() {
        if (app->runControl().running()) app->runControl().stopAndWait(std::chrono::seconds(30));
        frame.reset();
        pump.reset();
        app->exit();
    }

    // Writes the two-task strategy with the application's own document and
    // returns its path; the document is left new again.
    QString writeTwoTaskStrategy(const std::string& name = "plant.ksv") {
        StrategyDocument& document = *app->document();
        NewStrategy(document);
        StrategyTask& first = document.task(0);
        Block* ramp = first.addBlock(kRampKind, kRampBox).block;
        Block* calc = first.addBlock(kCalculationKind, kCalcBox).block;
        const std::vector<Point> points = {{92, 75}, {220, 75}};
        // The calculation has several inputs: the port list asks which.
        ui.choose(0);
        if (ramp != nullptr && calc != nullptr)
            wired = first.graph().Connect(*ramp, 0, *calc, 0, points).accepted();
        StrategyTask* second = document.addTask();
        if (second != nullptr) second->addBlock(kAverageKind, {60, 160, 92, 192});
        const std::string path = (dir / name).string();
        const bool written = WriteStrategyFile(document, path).ok();
        NewStrategy(document);
        return written ? QString::fromStdString(path) : QString();
    }

    RunControl& run() { return app->runControl(); }

    TempDir dir;
    ScriptedUserInterface ui;
    ScriptedDocumentDialogs dialogs;
    QtTimerService timers;
    std::unique_ptr<Application> app;
    bool initialized = false;
    bool wired = false;
    std::unique_ptr<MainQueuePump> pump;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace kestrune::testing_support
