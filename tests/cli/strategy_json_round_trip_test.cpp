// Dumping a strategy and building the dump again must give the same file,
// byte for byte (the protection key is fixed here), whatever the blocks'
// settings are.

#include <gtest/gtest.h>

#include "cli/ksv/strategy_json.h"
#include "document/kept_parts.h"
#include "ksv_fixture.h"
#include "resources/message_ids.h"
#include "rich_strategy.h"

namespace kestrune::ksv::testing {
namespace {

class RoundTripTest : public KsvTest {
  protected:
    // Writes, reads back, dumps, builds the dump and writes again.
    void expectSameBytesAfterRoundTrip(const StrategyDocument& original,
                                       std::optional<std::string> password = {}) {
        const std::vector<std::uint8_t> first = bytesOf(original);
        auto loaded = read(first, password);
        const Json dumped = dumpStrategy(*loaded);
        auto rebuilt = build(dumped);
        EXPECT_EQ(bytesOf(*rebuilt), first);
        // And the JSON of the rebuilt strategy is the JSON it was built from.
        EXPECT_EQ(dumpStrategy(*read(bytesOf(*rebuilt), password)), dumped);
    }
};

TEST_F(RoundTripTest, ANewStrategyComesBackTheSame) {
    auto document = newDocument();
    expectSameBytesAfterRoundTrip(*document);
}

TEST_F(RoundTripTest, EveryKindWithDefaultSettingsComesBackTheSame) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), false);
    expectSameBytesAfterRoundTrip(*document);
}

TEST_F(RoundTripTest, EveryKindWithChangedSettingsComesBackTheSame) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), true);
    expectSameBytesAfterRoundTrip(*document);

    // The changes took: every block with settings differs from a new one.
    auto plain = newDocument();
    fillRichStrategy(*plain, env.factory(), false);
    const Json changed = dumpStrategy(*document)["tasks"][0]["blocks"];
    const Json unchanged = dumpStrategy(*plain)["tasks"][0]["blocks"];
    ASSERT_EQ(changed.size(), unchanged.size());
    for (std::size_t i = 0; i < changed.size(); ++i) {
        if (unchanged[i]["settings"].empty()) continue;
        EXPECT_NE(changed[i]["settings"], unchanged[i]["settings"]) << unchanged[i]["kind_name"];
        EXPECT_NE(changed[i]["payload"], unchanged[i]["payload"]) << unchanged[i]["kind_name"];
    }
}

TEST_F(RoundTripTest, AProtectedStrategyKeepsItsPassword) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), false);
    ASSERT_TRUE(document->protection().protect("s3cret"));
    const Json dumped = dumpStrategy(*read(bytesOf(*document), "s3cret"));
    EXPECT_EQ(dumped["protected"], true);
    EXPECT_EQ(dumped["password"], "s3cret");
    expectSameBytesAfterRoundTrip(*document, "s3cret");
}

TEST_F(RoundTripTest, TheDumpShowsTheRecordsAsNamedFields) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), false);
    const Json j = dumpStrategy(*read(bytesOf(*document)));
    EXPECT_EQ(j["version"]["combined"], 42500);
    EXPECT_EQ(j["options"]["print_events"], 2);
    ASSERT_EQ(j["tasks"].size(), 2u);
    const Json& loop = j["tasks"][1];
    EXPECT_EQ(loop["name"], "LOOP");
    EXPECT_EQ(loop["period"], (Json{{"hours", 0}, {"minutes", 0}, {"seconds", 2}, {"milliseconds", 500}}));
    EXPECT_EQ(loop["start_mode"], 0);
    EXPECT_EQ(loop["placement"]["normal"], Json::array({5, 6, 705, 506}));
    EXPECT_EQ(loop["pre_task_script"], "Sub PRE_LOOP()\r\n    x = 1\r\nEnd Sub\r\n");
    EXPECT_FALSE(loop["task_object"]["settings"].contains("periodSeconds"));
    ASSERT_EQ(loop["blocks"].size(), 2u);
    const Json& pid = loop["blocks"][1];
    EXPECT_EQ(pid["kind"], kPidKind);
    EXPECT_EQ(pid["tag"], "BPID");
    EXPECT_EQ(pid["inputs"][0]["source"], loop["blocks"][0]["id"]);
    EXPECT_TRUE(pid["settings"].contains("p"));
    EXPECT_FALSE(pid["settings"].contains("name"));
    ASSERT_EQ(loop["wires"].size(), 1u);
    EXPECT_EQ(loop["wires"][0]["points"], Json::parse("[[71,56],[120,56],[120,96],[200,96]]"));
    EXPECT_EQ(j["virtual_tags"][0], (Json{{"name", "LEVEL"}, {"type", 2}, {"hold", true}, {"value", 0.1f}}));
    EXPECT_EQ(j["virtual_tags"][1]["value"], -7);
    EXPECT_EQ(j["network_tasks"][0], (Json{{"name", "NPLANT2"}, {"text", "10.0.0.2"}}));
    EXPECT_EQ(j["network"]["station_name"], "LINE1");
}

TEST_F(RoundTripTest, WhatNoClassReadsComesBackThroughTheDump) {
    auto document = newDocument();
    fillRichStrategy(*document, env.factory(), false);
    // The second task's analog input, wired to its PID, becomes a record nothing reads.
    const std::vector<std::uint8_t> bytes = kestrune::testing::withKeptParts(bytesOf(*document), "BAIN");
    auto loaded = newDocument();
    ASSERT_EQ(readStrategy(*loaded, bytes).status.code, kMsgFileLoadError);
    const Json dumped = dumpStrategy(*loaded);
    ASSERT_EQ(dumped["sections"].size(), 3u);
    EXPECT_EQ(dumped["sections"][0]["tasks_before"], 1);
    EXPECT_EQ(dumped["sections"][2]["tag"], "BSRP");
    const Json& kept = dumped["tasks"][1]["blocks"][0];
    EXPECT_EQ(kept["tag"], "BQQQ");
    EXPECT_EQ(kept["kind"], kAnalogInputKind);
    EXPECT_EQ(dumped["tasks"][1]["wires"][0]["source"], kept["id"]);
    EXPECT_EQ(bytesOf(*build(dumped)), bytes);
}

}  // namespace
}  // namespace kestrune::ksv::testing
