// The kestrune-ksv program itself: exit statuses, messages on stderr, and a
// dump built back into the same file.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "cli/ksv/strategy_json.h"
#include "ksv_fixture.h"
#include "rich_strategy.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune::ksv::testing {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (const char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Next to this test program, unless the test runner says where the build is.
fs::path programPath() {
    if (const char* dir = std::getenv("KESTRUNE_BINARY_DIR")) return fs::path(dir) / "bin" / "kestrune-ksv";
    return fs::read_symlink("/proc/self/exe").parent_path() / "kestrune-ksv";
}

class ProgramTest : public KsvTest {
  protected:
    void SetUp() override {
        KsvTest::SetUp();
        ASSERT_TRUE(fs::exists(programPath())) << programPath();
    }

    RunResult run(const std::string& arguments) {
        const fs::path out = dir / "stdout.txt";
        const fs::path err = dir / "stderr.txt";
        const std::string command = quoted(programPath()) + " " + arguments + " >" + quoted(out) + " 2>" +
                                    quoted(err) + " </dev/null";
        const int raw = std::system(command.c_str());
        RunResult r;
        r.exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = testing_support::TempDir::read(out);
        r.err = testing_support::TempDir::read(err);
        return r;
    }

    std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = dir / name;
        testing_support::TempDir::write(path, std::string(bytes.begin(), bytes.end()));
        return path.string();
    }

    // A task with an AI block wired to a PID block, a virtual tag, a station name.
    std::unique_ptr<StrategyDocument> sample() {
        auto document = newDocument();
        StrategyTask& task = document->task(0);
        Block* ai = task.addBlock(kAnalogInputKind, {40, 40, 72, 72}).block;
        Block* pid = task.addBlock(kPidKind, {200, 40, 232, 72}).block;
        EXPECT_TRUE(ai != nullptr && pid != nullptr);
        if (ai != nullptr && pid != nullptr) {
            EXPECT_TRUE(task.graph().Connect(*ai, 0, *pid, 0).accepted());
        }
        EXPECT_NE(document->addVirtualTag("LEVEL", VirtualTag::kFloat, true), nullptr);
        document->networkTaskNames().push_back({"NPLANT2", "10.0.0.2"});
        return document;
    }
};

TEST_F(ProgramTest, HelpIsShownAndBadArgumentsAreRefused) {
    const RunResult help = run("--help");
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("usage: kestrune-ksv dump FILE"), std::string::npos);
    // One line naming what is wrong, not the whole help.
    for (const auto& [arguments, named] :
         std::vector<std::pair<std::string, std::string>>{{"", "no command"},
                                                          {"convert x.ksv", "convert"},
                                                          {"build x.json", "-o FILE"},
                                                          {"dump x.ksv --pasword a", "--pasword"}}) {
        const RunResult r = run(arguments);
        EXPECT_EQ(r.exitStatus, 2) << arguments;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("see --help"), std::string::npos) << r.err;
    }
}

TEST_F(ProgramTest, AFileWithoutTheSignatureIsNotLoaded) {
    const std::string path = writeFile("bad.ksv", {'N', 'O', 'P', 'E', 0xA9, 0x01, 0, 0});
    for (const char* command : {"check", "dump"}) {
        const RunResult r = run(std::string(command) + " " + quoted(path));
        EXPECT_EQ(r.exitStatus, 2) << command;
        EXPECT_NE(r.err.find("Invalid file format: " + path), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(ProgramTest, AFileOfAVersionTooOldIsNotLoaded) {
    const std::string path = writeFile("old.ksv", {'Q', 'K', 'S', 'V', 2, 0, 0, 0});
    const RunResult r = run("check " + quoted(path));
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_NE(r.err.find("Invalid file version."), std::string::npos) << r.err;
}

TEST_F(ProgramTest, AMissingFileIsNotLoaded) {
    const RunResult r = run("check " + quoted((dir / "absent.ksv").string()));
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_NE(r.err.find("Cannot open file"), std::string::npos) << r.err;
}

TEST_F(ProgramTest, ARecordOfAnUnknownKindIsALoadErrorAndKept) {
    std::vector<std::uint8_t> bytes = bytesOf(*sample());
    const std::string pid = "BPID";
    const auto at = std::search(bytes.begin(), bytes.end(), pid.begin(), pid.end());
    ASSERT_NE(at, bytes.end());
    std::copy_n("BXYZ", 4, at);
    const std::string path = writeFile("unknown.ksv", bytes);

    const RunResult check = run("check " + quoted(path));
    EXPECT_EQ(check.exitStatus, 1);
    EXPECT_NE(check.err.find("File opened with load error."), std::string::npos) << check.err;
    EXPECT_NE(check.err.find("BXYZ"), std::string::npos) << check.err;

    // The dump shows everything, the record by its bytes, and builds the same file.
    const RunResult dump = run("dump " + quoted(path));
    EXPECT_EQ(dump.exitStatus, 1);
    Json j;
    ASSERT_TRUE(parseJson(dump.out, j).ok()) << dump.out;
    ASSERT_EQ(j["tasks"][0]["blocks"].size(), 2u);
    EXPECT_EQ(j["tasks"][0]["blocks"][1]["tag"], "BXYZ");
    EXPECT_EQ(j["virtual_tags"].size(), 1u);
    const std::string json = (dir / "unknown.json").string();
    testing_support::TempDir::write(json, dump.out);
    const std::string rebuiltPath = (dir / "rebuilt.ksv").string();
    const RunResult build = run("build " + quoted(json) + " -o " + quoted(rebuiltPath));
    EXPECT_EQ(build.exitStatus, 0) << build.err;
    const std::string text = testing_support::TempDir::read(rebuiltPath);
    const std::vector<std::uint8_t> rebuilt(text.begin(), text.end());
    constexpr std::size_t kAfterProtection = 8 + Protection::kBlockSize;
    ASSERT_EQ(rebuilt.size(), bytes.size());
    EXPECT_TRUE(
        std::equal(bytes.begin() + kAfterProtection, bytes.end(), rebuilt.begin() + kAfterProtection));
}

TEST_F(ProgramTest, ADamagedBlockIsNamedBeforeItsRecord) {
    auto document = sample();
    static_cast<Block*>(document->task(0).graph().nodes().back())->setCaption("Flow");
    std::vector<std::uint8_t> bytes = bytesOf(*document);
    const std::string pid = "BPID";
    const auto at = std::search(bytes.begin(), bytes.end(), pid.begin(), pid.end());
    ASSERT_NE(at, bytes.end());
    // Two bytes short of the record's end: the name and caption are whole.
    const std::size_t end = static_cast<std::size_t>(at - bytes.begin()) + 6 + (at[4] | at[5] << 8);
    bytes.resize(end - 2);
    const RunResult r = run("check " + quoted(writeFile("cut.ksv", bytes)));
    EXPECT_EQ(r.exitStatus, 1) << r.err;
    EXPECT_NE(r.err.find(": block Flow (PID1) is cut short: BPID record at byte "), std::string::npos)
        << r.err;
}

TEST_F(ProgramTest, AProtectedFileNeedsItsPassword) {
    auto document = sample();
    ASSERT_TRUE(document->protection().protect("s3cret"));
    const std::string path = writeFile("locked.ksv", bytesOf(*document));

    const RunResult none = run("check " + quoted(path));
    EXPECT_EQ(none.exitStatus, 2);
    EXPECT_NE(none.err.find("Password unmatched!"), std::string::npos) << none.err;
    EXPECT_NE(none.err.find("--password"), std::string::npos) << none.err;
    EXPECT_EQ(run("dump " + quoted(path) + " --password wrong").exitStatus, 2);
    const RunResult right = run("check " + quoted(path) + " --password=s3cret");
    EXPECT_EQ(right.exitStatus, 0) << right.err;
    EXPECT_NE(right.out.find("protected"), std::string::npos);
    EXPECT_NE(right.out.find("blocks 2, wires 1"), std::string::npos) << right.out;
}

class ProgramRoundTripTest : public ProgramTest {
  protected:
    // Dumps `original` with the program, builds the dump with it, and gives
    // the file built (the key in it random, as the program draws it).
    std::vector<std::uint8_t> dumpAndBuild(const std::vector<std::uint8_t>& original,
                                           const std::string& password) {
        const std::string path = writeFile("plant.ksv", original);
        const RunResult dump = run("dump " + quoted(path) + " --password " + quoted(password));
        EXPECT_EQ(dump.exitStatus, 0) << dump.err;
        const std::string json = (dir / "plant.json").string();
        testing_support::TempDir::write(json, dump.out);
        const std::string rebuiltPath = (dir / "rebuilt.ksv").string();
        const RunResult build = run("build " + quoted(json) + " -o " + quoted(rebuiltPath));
        EXPECT_EQ(build.exitStatus, 0) << build.err;
        const std::string text = testing_support::TempDir::read(rebuiltPath);
        return {text.begin(), text.end()};
    }

    // Equal but for the protection block and key, which follow the random key.
    static void expectSameBesideTheKey(const std::vector<std::uint8_t>& rebuilt,
                                       const std::vector<std::uint8_t>& original) {
        ASSERT_EQ(rebuilt.size(), original.size());
        constexpr std::size_t kProtectionAt = 8;
        constexpr std::size_t kProtectionEnd = kProtectionAt + Protection::kBlockSize;
        EXPECT_TRUE(std::equal(rebuilt.begin(), rebuilt.begin() + kProtectionAt, original.begin()));
        EXPECT_TRUE(
            std::equal(rebuilt.begin() + kProtectionEnd, rebuilt.end(), original.begin() + kProtectionEnd));
    }
};

TEST_F(ProgramRoundTripTest, DumpThenBuildGivesTheSameFile) {
    auto document = sample();
    ASSERT_TRUE(document->protection().protect("s3cret"));
    const std::vector<std::uint8_t> original = bytesOf(*document);
    const std::vector<std::uint8_t> rebuilt = dumpAndBuild(original, "s3cret");
    expectSameBesideTheKey(rebuilt, original);
    // The password they hold must match.
    EXPECT_EQ(read(rebuilt, "s3cret")->protection(), document->protection());
}

TEST_F(ProgramRoundTripTest, DumpThenBuildOfARichFileGivesTheSameFile) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), true);
    extendRichStrategy(*document);
    ASSERT_TRUE(document->protection().protect("Plant #7"));
    const std::vector<std::uint8_t> original = bytesOf(*document);
    const std::vector<std::uint8_t> rebuilt = dumpAndBuild(original, "Plant #7");
    expectSameBesideTheKey(rebuilt, original);
    EXPECT_EQ(read(rebuilt, "Plant #7")->protection(), document->protection());
}

TEST_F(ProgramTest, BadJsonIsNotBuiltAndSaysWhere) {
    const std::string json = (dir / "bad.json").string();
    testing_support::TempDir::write(json,
                                    "{\n  \"tasks\": [\n    {\"blocks\": [{\"kind\": 26,,}]}\n  ]\n}\n");
    const std::string out = (dir / "never.ksv").string();
    const RunResult r = run("build " + quoted(json) + " -o " + quoted(out));
    EXPECT_EQ(r.exitStatus, 2);
    EXPECT_NE(r.err.find("Invalid file format: " + json), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 3, column"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));

    testing_support::TempDir::write(json,
                                    R"({"tasks": [{"blocks": [{"kind": 26, "settings": {"gain": 2}}]}]})");
    const RunResult wrong = run("build " + quoted(json) + " -o " + quoted(out));
    EXPECT_EQ(wrong.exitStatus, 2);
    EXPECT_NE(wrong.err.find("tasks[0].blocks[0].settings.gain: no such setting"), std::string::npos)
        << wrong.err;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace kestrune::ksv::testing
