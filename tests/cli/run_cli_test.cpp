// kestrune-run as a user runs it: a strategy built here through the document
// API, the program started as a child process with its own settings
// directory, its output and exit status read back.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "blocks/control/calculation_block.h"
#include "document/document_commands.h"
#include "document/strategy_document.h"
#include "document/virtual_tag.h"
#include "engine/scan_task.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"
#include "platform/tick_source.h"
#include "properties/property_set.h"
#include "support/eventually.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"

extern char** environ;

namespace kestrune::testing_support {
namespace {

using namespace std::chrono_literals;

std::filesystem::path runProgram() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kestrune-run";
}

// A child kestrune-run with stdout and stderr in files of the scratch directory.
class Child {
  public:
    Child(const TempDir& dir, std::vector<std::string> args) : dir_(dir) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
            if (std::string(*e).rfind("KESTRUNE_HOME=", 0) != 0) env.emplace_back(*e);
        env.push_back("KESTRUNE_HOME=" + (dir.path() / "home").string());
        args.insert(args.begin(), runProgram().string());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        started_ = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (started_ && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return started_; }
    void signal(int sig) const { ::kill(pid_, sig); }

    // The exit status, or nullopt when the program had not ended within `bound`
    // (it is then killed) or did not exit normally.
    std::optional<int> wait(std::chrono::seconds bound = 60s) {
        int raw = 0;
        if (!eventually([&] { return ::waitpid(pid_, &raw, WNOHANG) != 0; }, bound, 10ms)) return std::nullopt;
        status_ = raw;
        if (!WIFEXITED(raw)) return std::nullopt;
        return WEXITSTATUS(raw);
    }
    // Waits (generously) until stdout holds `text`.
    bool waitForOutput(const std::string& text) const {
        return eventually([&] { return out().find(text) != std::string::npos; }, 30s, 10ms);
    }

    std::string out() const { return TempDir::read(outPath()); }
    std::string err() const { return TempDir::read(errPath()); }

  private:
    std::string outPath() const { return (dir_.path() / "stdout.txt").string(); }
    std::string errPath() const { return (dir_.path() / "stderr.txt").string(); }

    const TempDir& dir_;
    pid_t pid_ = -1;
    bool started_ = false;
    std::optional<int> status_;
};

class RunCliTest : public ::testing::Test {
  protected:
    RunCliTest() { std::filesystem::create_directories(dir.path() / "home"); }

    // One task without blocks, the event log on, and a held virtual tag.
    std::string writeStrategy(const std::function<void(StrategyDocument&)>& adjust = {}) {
        ScriptedUserInterface ui;
        ManualTickSource ticks;
        ApplicationOptions options;
        options.ui = &ui;
        options.settingsFile = dir / "builder.INI";
        options.deviceListFile = dir / "builder-devices.ini";
        options.eventLogDirectory.reset();
        options.ticks = &ticks;
        Application app(std::move(options));
        EXPECT_TRUE(app.initialize().ok());
        StrategyDocument& document = *app.document();
        document.options().eventLog = true;
        VirtualTag* level = document.addVirtualTag("LEVEL", VirtualTag::kFloat, true);
        EXPECT_NE(level, nullptr);
        if (level) level->setInitialFloat(12.5f);
        if (adjust) adjust(document);
        const std::string path = (dir / "plant.ksv").string();
        EXPECT_TRUE(WriteStrategyFile(document, path).ok());
        return path;
    }

    TempDir dir;
};

TEST_F(RunCliTest, RunsForTheDurationAndPrintsTheStartAndStopEvents) {
    const std::string path = writeStrategy();
    Child child(dir, {path, "--duration", "2"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 0) << child.err();
    const std::string out = child.out();
    EXPECT_NE(out.find("event: Strategy plant.ksv started at "), std::string::npos) << out;
    EXPECT_NE(out.find("event: Strategy plant.ksv stopped at "), std::string::npos) << out;
    EXPECT_NE(out.find(" Running normally\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" state: stopped\n"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists(dir / "plant.HLD"));
    EXPECT_NE(TempDir::read(dir / "Kestrune.ELF").find("stopped at"), std::string::npos);
}

TEST_F(RunCliTest, SigintStopsTheRunCleanlyAndSavesTheHoldFile) {
    const std::string path = writeStrategy();
    Child child(dir, {path});
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForOutput("state: running")) << child.out() << child.err();
    EXPECT_FALSE(std::filesystem::exists(dir / "plant.HLD"));
    child.signal(SIGINT);
    EXPECT_EQ(child.wait(30s), 0) << child.err();
    EXPECT_TRUE(std::filesystem::exists(dir / "plant.HLD"));
    EXPECT_NE(child.out().find("stopped at"), std::string::npos) << child.out();
}

TEST_F(RunCliTest, AFileWithABadSignatureCannotBeLoaded) {
    const std::string path = (dir / "broken.ksv").string();
    TempDir::write(path, "XKSV this is no strategy");
    Child child(dir, {path, "--duration", "1"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 2);
    EXPECT_NE(child.err().find("Invalid file format: " + path), std::string::npos) << child.err();
    EXPECT_FALSE(std::filesystem::exists(dir / "Kestrune.ELF"))
        << "nothing is written beside a file that did not load";
}

TEST_F(RunCliTest, AMissingFileIsNamedOnceInTheReason) {
    const std::string path = (dir / "missing.ksv").string();
    Child child(dir, {path});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 2);
    EXPECT_NE(child.err().find("  " + path + ": open: "), std::string::npos) << child.err();
    EXPECT_EQ(child.err().find(path + ": " + path), std::string::npos) << child.err();
}

TEST_F(RunCliTest, AStrategyThatOnlyPartlyLoadsIsNotRunAndSaysWhereItBroke) {
    const std::string whole = writeStrategy();
    const auto size = std::filesystem::file_size(whole);
    const std::string path = (dir / "cut.ksv").string();
    std::filesystem::copy_file(whole, path);
    std::filesystem::resize_file(path, size - 20);
    Child child(dir, {path, "--duration", "1"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 2);
    EXPECT_NE(child.err().find("File opened with load error."), std::string::npos) << child.err();
    EXPECT_NE(child.err().find("cut.ksv: "), std::string::npos)
        << "the place of the damage is named: " << child.err();
}

TEST_F(RunCliTest, ARefusedStartExitsWithThree) {
    const std::string path = writeStrategy([](StrategyDocument& d) { d.options().securityChecking = true; });
    Child child(dir, {path, "--duration", "1"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 3);
    EXPECT_NE(child.err().find("Cannot locate password file."), std::string::npos) << child.err();
}

TEST_F(RunCliTest, TheErrorLimitStopsTheRunWithFour) {
    // A calculation that divides by zero reports 34254 on every scan.
    const std::string path = writeStrategy([](StrategyDocument& d) {
        d.options().errorLimit = 3;
        StrategyTask& task = d.task(0);
        static_cast<ScanTask&>(task.taskObject()).timing().setPeriod(ScanPeriod{0, 0, 0, 50});
        const Placement made = task.addBlock(kCalculationKind, {10, 10, 42, 42});
        ASSERT_NE(made.block, nullptr);
        auto& calc = static_cast<CalculationBlock&>(*made.block);
        calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
        calc.setOperandText(0, "1");
        calc.setOperandText(1, "0");
    });
    Child child(dir, {path, "--duration", "60"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 4) << child.out() << child.err();
    const std::string out = child.out();
    EXPECT_NE(out.find("Division by zero cannot be handled at TASK1 : SOC1"), std::string::npos) << out;
    EXPECT_NE(out.find("event: Strategy plant.ksv stopped at "), std::string::npos) << out;
}

TEST_F(RunCliTest, WatchedTagsArePrintedOncePerSecondAndUnknownOnesReportedOnce) {
    // Not held: the run starts it from its initial value. AI1 reads the
    // simulated board into one element per channel.
    const std::string path = writeStrategy([](StrategyDocument& d) {
        d.findVirtualTag("LEVEL")->setHold(false);
        Block* ai = d.task(0).addBlock(kAnalogInputKind, {40, 40, 72, 72}).block;
        ASSERT_NE(ai, nullptr);
        PropertySet settings = ai->properties();
        for (std::size_t i = 0; i < settings.size(); ++i)
            if (settings.field(i).key == "device") {
                const PropertySet::Change board{i, std::string("0:0")};
                ASSERT_TRUE(settings.apply({&board, 1}));
            }
    });
    Child child(dir, {path, "--duration", "2.5", "--watch", "VIRTASK.LEVEL,TASK0.SYSINFO,TASK1.AI1[1]",
                      "--watch=NOPE.X,VIRTASK.LEVEL[0],TASK1.AI1[999]", "--quiet"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait(), 0) << child.err();
    const std::string out = child.out();
    const std::regex line(
        R"(^[0-9]+\.[0-9] VIRTASK\.LEVEL=12\.5 TASK0\.SYSINFO=3 TASK1\.AI1\[1\]=-?[0-9.e+-]+$)");
    std::istringstream lines(out);
    int matching = 0;
    for (std::string l; std::getline(lines, l);) {
        EXPECT_TRUE(std::regex_match(l, line)) << "--quiet leaves only the watch lines: " << l;
        matching += std::regex_match(l, line) ? 1 : 0;
    }
    EXPECT_GE(matching, 1) << out;
    const std::string err = child.err();
    for (const char* problem : {"--watch NOPE.X: no such tag\n", "--watch VIRTASK.LEVEL[0]: not an array\n",
                                "--watch TASK1.AI1[999]: the tag has 32 elements\n"}) {
        const auto at = err.find(problem);
        EXPECT_NE(at, std::string::npos) << problem << err;
        EXPECT_EQ(err.find(problem, at + 1), std::string::npos) << "said once: " << err;
    }
}

TEST_F(RunCliTest, HelpExplainsEveryOptionAndABadCommandLineIsRefused) {
    Child help(dir, {"--help"});
    ASSERT_TRUE(help.started());
    EXPECT_EQ(help.wait(), 0);
    for (const char* option :
         {"--duration", "--watch", "--password", "--yes", "--no", "--quiet", "--version", "Exit status"})
        EXPECT_NE(help.out().find(option), std::string::npos) << option;

    // One line naming what is wrong, not the whole help.
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad{
        {{"--duration", "-3", "x.ksv"}, "-3"},       {{"x.ksv", "--yes", "--no"}, "--yes and --no"},
        {{"x.ksv", "--watch", "LEVEL"}, "LEVEL"},    {{"x.ksv", "--watch", "T.A[x]"}, "T.A[x]"},
        {{"x.ksv", "--watch", "T.A[1"}, "T.A[1"},    {{"x.ksv", "y.ksv"}, "y.ksv"},
        {{"--frobnicate", "x.ksv"}, "--frobnicate"}, {{}, "no strategy file"}};
    for (const auto& [args, named] : bad) {
        Child child(dir, args);
        ASSERT_TRUE(child.started());
        EXPECT_EQ(child.wait(), 1) << child.err();
        const std::string err = child.err();
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_NE(err.find(named), std::string::npos) << err;
        EXPECT_NE(err.find("see --help"), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace kestrune::testing_support
