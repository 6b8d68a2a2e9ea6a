// The application's start-up and exit steps that are not windows.
#include <gtest/gtest.h>

#include <fstream>

#include "app/app_component.h"
#include "app/application.h"
#include "app/event_log.h"
#include "app/system_info.h"
#include "components/driver/device_driver.h"
#include "components/tagdb/tag_database.h"
#include "document/document_commands.h"
#include "document/strategy_document.h"
#include "document/virtual_tag.h"
#include "engine/scheduler.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"
#include "platform/tick_source.h"
#include "resources/message_ids.h"

namespace kestrune::testing_support {
namespace {

// Records when it was started and stopped, and whether SYSINFO existed then.
class RecordingComponent final : public AppComponent {
  public:
    RecordingComponent(std::string name, std::vector<std::string>& log, TagDatabase*& tags)
        : name_(std::move(name)), log_(log), tags_(tags) {}
    std::string_view componentName() const override { return name_; }
    Status start() override {
        log_.push_back("start " + name_ + (sysinfoExists() ? " with SYSINFO" : ""));
        return startResult;
    }
    void stop() override { log_.push_back("stop " + name_ + (sysinfoExists() ? " with SYSINFO" : "")); }
    Status startResult;

  private:
    bool sysinfoExists() const {
        return tags_ != nullptr && tags_->IsTagExist(kSystemTaskName, kSystemInfoTagName);
    }
    std::string name_;
    std::vector<std::string>& log_;
    TagDatabase*& tags_;
};

class ApplicationTest : public ::testing::Test {
  protected:
    std::unique_ptr<Application> make() {
        ApplicationOptions options;
        options.ui = &ui;
        options.settingsFile = dir / "Kestrune.INI";
        options.deviceListFile = dir / "devices.ini";
        options.eventLogDirectory = dir.path().string();
        options.ticks = &ticks;
        options.scriptEngine = &engine;
        options.automation = &automation;
        auto app = std::make_unique<Application>(std::move(options));
        tags = &app->tags();
        return app;
    }

    TempDir dir;
    ScriptedUserInterface ui;
    ManualTickSource ticks;
    std::vector<std::string> log;
    TagDatabase* tags = nullptr;
    RecordingComponent engine{"engine", log, tags};
    RecordingComponent automation{"automation", log, tags};
};

TEST_F(ApplicationTest, StartUpMakesTheFixedTagsAndExitRemovesThem) {
    auto app = make();
    ASSERT_TRUE(app->initialize().ok());
    EXPECT_EQ(systemInfo(app->tags()), kSystemInfoStarted);
    EXPECT_NE(app->tags().GetTaskRecordPtr(kVirtualTaskName), nullptr);
    ASSERT_NE(app->driver(), nullptr);
    EXPECT_EQ(app->driver()->deviceList().size(), 2u);  // the default list, written where it was told
    EXPECT_TRUE(std::filesystem::exists(dir / "devices.ini"));
    EXPECT_NE(app->opc(), nullptr);
    ASSERT_NE(app->document(), nullptr);
    EXPECT_EQ(app->document()->taskCount(), 1u);

    app->exit();
    EXPECT_FALSE(app->tags().IsTagExist(kSystemTaskName, kSystemInfoTagName));
    EXPECT_EQ(app->tags().GetTaskRecordPtr(kSystemTaskName), nullptr);
    EXPECT_EQ(app->tags().GetTaskRecordPtr(kVirtualTaskName), nullptr);
    EXPECT_EQ(app->document(), nullptr);
    EXPECT_EQ(app->driver(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"start engine", "start automation with SYSINFO", "stop engine",
                                             "stop automation"}));
}

TEST_F(ApplicationTest, AScriptEngineThatFailsEndsStartUpBeforeAnythingElse) {
    engine.startResult = Status(kMsgScriptEngineInitError);
    auto app = make();
    EXPECT_EQ(app->initialize().code, kMsgScriptEngineInitError);
    EXPECT_FALSE(app->initialized());
    EXPECT_EQ(app->document(), nullptr);
    EXPECT_FALSE(app->tags().IsTagExist(kSystemTaskName, kSystemInfoTagName));
    EXPECT_EQ(log, std::vector<std::string>{"start engine"});
}

TEST_F(ApplicationTest, AnAutomationServerThatFailsUndoesTheEarlierSteps) {
    automation.startResult = Status(kMsgGenericError);
    auto app = make();
    EXPECT_FALSE(app->initialize().ok());
    EXPECT_FALSE(app->tags().IsTagExist(kSystemTaskName, kSystemInfoTagName));
    EXPECT_EQ(log,
              (std::vector<std::string>{"start engine", "start automation with SYSINFO", "stop engine"}));
}

TEST_F(ApplicationTest, TheSettingsFileShapesTheScheduler) {
    TempDir::write(dir / "Kestrune.INI",
                   "[System]\nTaskScheduleRes=3\nSingleTaskMode=1\nDispThreadPriority=7\n");
    auto app = make();
    ASSERT_TRUE(app->initialize().ok());
    EXPECT_EQ(app->settings().taskScheduleRes, 5);
    const SchedulerSettings scheduling = app->scheduler().settings();
    EXPECT_EQ(scheduling.resolutionMs, 5);
    EXPECT_TRUE(scheduling.singleTaskMode);
    EXPECT_EQ(scheduling.displayPriorityIndex, 0);
}

TEST_F(ApplicationTest, OpeningAStrategyMovesTheEventLogAndTakesItsRefreshPeriod) {
    const std::filesystem::path plant = dir / "plant";
    std::filesystem::create_directory(plant);
    {
        auto writer = make();
        ASSERT_TRUE(writer->initialize().ok());
        writer->document()->options().displayRefreshMs = 100;
        ASSERT_TRUE(WriteStrategyFile(*writer->document(), (plant / "line.ksv").string()).ok());
    }
    auto app = make();
    ASSERT_TRUE(app->initialize((plant / "line.ksv").string()).ok());
    EXPECT_TRUE(app->openStatus().ok());
    EXPECT_EQ(app->eventLog().workingFilePath(), (plant / "Kestrune.ELF").string());
    EXPECT_EQ(app->scheduler().settings().refreshDivider, 20);
    EXPECT_EQ(app->settingsFile().getString("System", "CurrentKSV"), (plant / "line.ksv").string());
}

TEST_F(ApplicationTest, ADamagedHoldFileIsToldWhenTheStrategyOpensAndKeptAside) {
    {
        auto writer = make();
        ASSERT_TRUE(writer->initialize().ok());
        writer->document()->options().eventLog = true;
        ASSERT_NE(writer->document()->addVirtualTag("LEVEL", VirtualTag::kInteger, true), nullptr);
        ASSERT_TRUE(WriteStrategyFile(*writer->document(), (dir / "line.ksv").string()).ok());
    }
    TempDir::write(dir / "line.HLD", "KHLD cut short");
    auto app = make();
    ASSERT_TRUE(app->initialize((dir / "line.ksv").string()).ok());
    EXPECT_TRUE(app->openStatus().ok());
    ASSERT_FALSE(ui.messages().empty());
    const std::string told = "The hold file is damaged: " + (dir / "line.HLD").string() + ": ";
    EXPECT_EQ(ui.messages().back().rfind(told, 0), 0u) << ui.messages().back();
    EXPECT_NE(ui.messages().back().find("kept as line.HLD.damaged-"), std::string::npos);
    app->drainMessages();
    EXPECT_NE(TempDir::read(dir / "Kestrune.ELF").find("The hold file is damaged"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "line.HLD"));
}

TEST_F(ApplicationTest, AStrategyThatDoesNotOpenLeavesAnEmptyOne) {
    TempDir::write(dir / "bad.ksv", "not a strategy");
    auto app = make();
    ASSERT_TRUE(app->initialize((dir / "bad.ksv").string()).ok());
    EXPECT_EQ(app->openStatus().code, kMsgInvalidFileFormat);
    ASSERT_NE(app->document(), nullptr);
    EXPECT_TRUE(app->document()->path().empty());
    EXPECT_EQ(ui.messages().back(), "Invalid file format: " + (dir / "bad.ksv").string());
    EXPECT_EQ(app->eventLog().workingFilePath(), (dir / "Kestrune.ELF").string());
}

TEST_F(ApplicationTest, AStrategyThatLoadsOnlyInPartCreatesNothingBesideIt) {
    const std::filesystem::path plant = dir / "plant";
    std::filesystem::create_directory(plant);
    const std::string path = (plant / "line.ksv").string();
    {
        auto writer = make();
        ASSERT_TRUE(writer->initialize().ok());
        writer->document()->options().eventLog = true;
        ASSERT_NE(writer->document()->addVirtualTag("LEVEL", VirtualTag::kInteger, true), nullptr);
        ASSERT_TRUE(WriteStrategyFile(*writer->document(), path).ok());
    }
    const std::string whole = TempDir::read(path);
    TempDir::write(path, whole.substr(0, whole.size() - 3));
    auto app = make();
    ASSERT_TRUE(app->initialize(path).ok());
    EXPECT_FALSE(app->openStatus().ok());
    app->exit();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(plant))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"line.ksv"});
}

TEST_F(ApplicationTest, ExitStopsARunningStrategyAndSavesItsHeldValues) {
    auto app = make();
    ASSERT_TRUE(app->initialize().ok());
    StrategyDocument& document = *app->document();
    document.setPath((dir / "plant.ksv").string());
    ASSERT_NE(document.addVirtualTag("LEVEL", VirtualTag::kInteger, true), nullptr);
    document.setModified(false);
    ASSERT_EQ(app->runControl().start(), kOk);
    EXPECT_EQ(systemInfo(app->tags()), kSystemInfoStarted | kSystemInfoRunning);

    app->exit();
    EXPECT_TRUE(std::filesystem::exists(dir / "plant.HLD"));
    EXPECT_EQ(app->scheduler().runningTaskCount(), 0u);
}

}  // namespace
}  // namespace kestrune::testing_support
