// The commands run in-process, where the protection key can be fixed: the
// command path itself must give back the very same bytes.

#include "cli/ksv/ksv_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ksv_fixture.h"
#include "rich_strategy.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune::ksv::testing {
namespace {

class CommandsTest : public KsvTest {
  protected:
    int runCommand(std::vector<std::string> args) {
        out.str({});
        err.str({});
        KsvRunOptions options;
        options.randomKey = [] { return kFixedKey; };
        return runKsv(args, out, err, options);
    }

    std::string file(const std::string& name) const { return (dir / name).string(); }

    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CommandsTest, DumpThenBuildGivesTheSameBytes) {
    auto document = newDocument();
    Block* ai = document->task(0).addBlock(kAnalogInputKind, {40, 40, 72, 72}).block;
    Block* pid = document->task(0).addBlock(kPidKind, {200, 40, 232, 72}).block;
    ASSERT_TRUE(ai != nullptr && pid != nullptr);
    ASSERT_TRUE(document->task(0).graph().Connect(*ai, 0, *pid, 0).accepted());
    ASSERT_TRUE(document->protection().protect("pw"));
    const std::vector<std::uint8_t> original = bytesOf(*document);
    testing_support::TempDir::write(file("a.ksv"), std::string(original.begin(), original.end()));

    ASSERT_EQ(runCommand({"dump", file("a.ksv"), "--password", "pw"}), kExitLoaded) << err.str();
    testing_support::TempDir::write(file("a.json"), out.str());
    ASSERT_EQ(runCommand({"build", file("a.json"), "--output", file("b.ksv")}), kExitLoaded) << err.str();
    const std::string rebuilt = testing_support::TempDir::read(file("b.ksv"));
    EXPECT_EQ(std::vector<std::uint8_t>(rebuilt.begin(), rebuilt.end()), original);
}

// Every kind with changed settings, three tasks with routed wires, virtual
// tags, network tasks and every option, protected: through the JSON text the
// commands write and read, not only the JSON value.
TEST_F(CommandsTest, DumpThenBuildOfARichProtectedFileGivesTheSameBytes) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), true);
    extendRichStrategy(*document);
    ASSERT_TRUE(document->protection().protect("pw 2"));
    const std::vector<std::uint8_t> original = bytesOf(*document);
    testing_support::TempDir::write(file("rich.ksv"), std::string(original.begin(), original.end()));

    ASSERT_EQ(runCommand({"dump", file("rich.ksv"), "--password", "pw 2"}), kExitLoaded) << err.str();
    const std::string json = out.str();
    testing_support::TempDir::write(file("rich.json"), json);
    ASSERT_EQ(runCommand({"build", file("rich.json"), "-o", file("rebuilt.ksv")}), kExitLoaded) << err.str();
    const std::string rebuilt = testing_support::TempDir::read(file("rebuilt.ksv"));
    EXPECT_EQ(std::vector<std::uint8_t>(rebuilt.begin(), rebuilt.end()), original);

    // The dump of the rebuilt file is the same text.
    ASSERT_EQ(runCommand({"dump", file("rebuilt.ksv"), "--password", "pw 2"}), kExitLoaded) << err.str();
    EXPECT_EQ(out.str(), json);
    Json j;
    ASSERT_TRUE(parseJson(json, j).ok());
    EXPECT_EQ(j["tasks"].size(), 3u);
    EXPECT_EQ(j["tasks"][2]["wires"].size(), 3u);
    EXPECT_EQ(j["virtual_tags"].size(), 4u);
    EXPECT_EQ(j["network_tasks"].size(), 2u);
}

TEST_F(CommandsTest, ARecordTooLongForTheFileIsRefusedBeforeWriting) {
    const std::string script(70000, 'x');
    testing_support::TempDir::write(file("long.json"),
                                    R"({"tasks": [{"pre_task_script": ")" + script + "\"}]}");
    EXPECT_EQ(runCommand({"build", file("long.json"), "-o", file("long.ksv")}), kExitNotLoaded);
    EXPECT_NE(err.str().find("longer than 65535"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(file("long.ksv")));
}

TEST_F(CommandsTest, TextsThatAreNotUtf8AreDumpedWithAWarning) {
    auto document = newDocument();
    document->task(0).taskObject().setCaption("Caf\xE9");
    const std::vector<std::uint8_t> bytes = bytesOf(*document);
    testing_support::TempDir::write(file("latin.ksv"), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(runCommand({"dump", file("latin.ksv")}), kExitLoaded);
    EXPECT_NE(err.str().find("tasks[0].caption is not UTF-8"), std::string::npos) << err.str();
    Json j;
    ASSERT_TRUE(parseJson(out.str(), j).ok());
    EXPECT_EQ(j["tasks"][0]["caption"], "Caf\xEF\xBF\xBD");
}

TEST_F(CommandsTest, CheckSaysWhatTheStrategyHolds) {
    auto document = newDocument();
    ASSERT_NE(document->task(0).addBlock(kPidKind, {0, 0, 32, 32}).block, nullptr);
    ASSERT_NE(document->addVirtualTag("LEVEL", VirtualTag::kFloat, false), nullptr);
    const std::vector<std::uint8_t> bytes = bytesOf(*document);
    testing_support::TempDir::write(file("c.ksv"), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(runCommand({"check", file("c.ksv")}), kExitLoaded);
    EXPECT_NE(out.str().find("strategy version 4.25.000, not protected"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("task TASK1: blocks 1, wires 0"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("virtual tags 1"), std::string::npos) << out.str();
    EXPECT_TRUE(err.str().empty()) << err.str();
}

}  // namespace
}  // namespace kestrune::ksv::testing
