// Dumping a strategy and building the dump again must give the same file,
// byte for byte (the protection key is fixed here), whatever the blocks'
// settings are.

#include <gtest/gtest.h>

#include "cli/ksv/strategy_json.h"
#include "engine/scan_task.h"
#include "ksv_fixture.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune::ksv::testing {
namespace {

// A value other than the current one for each setting the block takes: all
// at once (as the dialog's OK does, so that cross-field checks see a whole
// configuration), or one at a time when that is refused (leaving out what
// is refused). The round trip then meets settings away from their defaults.
void perturbSettings(Block& block) {
    PropertySet set = block.properties();
    std::vector<PropertySet::Change> changes;
    for (std::size_t i = 0; i < set.size(); ++i) {
        const PropertyField& f = set.field(i);
        if (f.readOnly || f.key == "name" || f.key == "caption") continue;
        const PropertyValue now = set.value(i);
        PropertyValue other;
        switch (f.type) {
            case PropertyType::Bool:
                other = !std::get<bool>(now);
                break;
            case PropertyType::Choice:
                other = f.choices.back().value == std::get<std::int64_t>(now) ? f.choices.front().value
                                                                              : f.choices.back().value;
                break;
            case PropertyType::Int:
                other = std::get<std::int64_t>(now) == f.intMin ? f.intMin + 1 : f.intMin;
                break;
            case PropertyType::Float:
                other = std::get<double>(now) == 0.125 ? 0.25 : 0.125;
                break;
            case PropertyType::Colour:
                other = std::int64_t{0x123456};
                break;
            case PropertyType::String:
            case PropertyType::FilePath:
            case PropertyType::Device:
            case PropertyType::OpcItem:
                // A device is a number and a kind.
                other = std::string(f.key == "device" ? "2:1" : "X1");
                break;
            default:
                continue;
        }
        changes.emplace_back(i, other);
    }
    if (set.apply(changes)) return;
    // Twice: a change refused before another one took (a device chosen) may pass then.
    for (int pass = 0; pass < 2; ++pass) {
        for (const PropertySet::Change& change : changes) set.apply({&change, 1});
    }
}

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

    // Two tasks: every registered kind once in the first, a small loop in the second.
    void fillSample(StrategyDocument& document, bool perturb) {
        StrategyTask& first = document.task(0);
        int x = 40;
        for (const std::int16_t kind : env.factory().RegisteredKinds()) {
            if (kind == kTaskKind) continue;
            Placement made = first.addBlock(kind, {x, 40, x + 32, 72});
            ASSERT_NE(made.block, nullptr) << kind;
            if (perturb) perturbSettings(*made.block);
            x += 80;
        }
        StrategyTask* second = document.addTask();
        ASSERT_NE(second, nullptr);
        ASSERT_TRUE(second->rename("LOOP").ok());
        Block* ai = second->addBlock(kAnalogInputKind, {40, 40, 72, 72}).block;
        Block* pid = second->addBlock(kPidKind, {200, 80, 232, 112}).block;
        ASSERT_TRUE(ai != nullptr && pid != nullptr);
        const Point route[] = {{71, 56}, {120, 56}, {120, 96}, {200, 96}};
        ASSERT_TRUE(second->graph().Connect(*ai, 0, *pid, 0, route).accepted());
        auto& task = dynamic_cast<ScanTask&>(second->taskObject());
        task.preTaskScript().setText("Sub PRE_LOOP()\r\n    x = 1\r\nEnd Sub\r\n");
        task.timing().setPeriod({0, 0, 2, 500});
        task.setCaption("Level loop");
        second->placement().normal = {5, 6, 705, 506};

        VirtualTag* level = document.addVirtualTag("LEVEL", VirtualTag::kFloat, true);
        VirtualTag* count = document.addVirtualTag("COUNT", VirtualTag::kInteger, false);
        VirtualTag* label = document.addVirtualTag("LABEL", VirtualTag::kString, true);
        ASSERT_TRUE(level != nullptr && count != nullptr && label != nullptr);
        level->setInitialFloat(0.1f);
        count->setInitialInteger(-7);
        label->setInitialText("pump \"A\"");
        document.networkTaskNames().push_back({"NPLANT2", "10.0.0.2"});
        document.networkSettings().stationName = "LINE1";
        document.networkSettings().retryTimes = 3;
        document.options().beepOnError = true;
        document.options().printEvents = PrintEvents::AlarmsOnly;
        document.options().errorLimit = 12;
        document.options().frameLayout = kLayoutMenuBar;
    }
};

TEST_F(RoundTripTest, ANewStrategyComesBackTheSame) {
    auto document = newDocument();
    expectSameBytesAfterRoundTrip(*document);
}

TEST_F(RoundTripTest, EveryKindWithDefaultSettingsComesBackTheSame) {
    auto document = newDocument();
    fillSample(*document, false);
    expectSameBytesAfterRoundTrip(*document);
}

TEST_F(RoundTripTest, EveryKindWithChangedSettingsComesBackTheSame) {
    auto document = newDocument();
    fillSample(*document, true);
    expectSameBytesAfterRoundTrip(*document);

    // The changes took: every block with settings differs from a new one.
    auto plain = newDocument();
    fillSample(*plain, false);
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
    fillSample(*document, false);
    ASSERT_TRUE(document->protection().protect("s3cret"));
    const Json dumped = dumpStrategy(*read(bytesOf(*document), "s3cret"));
    EXPECT_EQ(dumped["protected"], true);
    EXPECT_EQ(dumped["password"], "s3cret");
    expectSameBytesAfterRoundTrip(*document, "s3cret");
}

TEST_F(RoundTripTest, TheDumpShowsTheRecordsAsNamedFields) {
    auto document = newDocument();
    fillSample(*document, false);
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

}  // namespace
}  // namespace kestrune::ksv::testing
