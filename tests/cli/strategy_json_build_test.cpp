// Building strategies from hand-written JSON: what is left out takes a new
// object's values, names and labels stand for ids and codes, and every
// mistake is reported with its place.

#include <gtest/gtest.h>

#include <cmath>

#include "blocks/control/calculation_block.h"
#include "cli/ksv/strategy_json.h"
#include "engine/scan_task.h"
#include "ksv_fixture.h"
#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/wire.h"

namespace kestrune::ksv::testing {
namespace {

constexpr Code kInvalidParameters = 32874;

Json parsed(std::string_view text) {
    Json j;
    const Status s = parseJson(text, j);
    EXPECT_TRUE(s.ok()) << s.context;
    return j;
}

class BuildTest : public KsvTest {
  protected:
    // The problem's context must start with the path.
    void expectProblemAt(std::string_view json, std::string_view path, std::string_view words = {}) {
        const Status s = buildProblem(parsed(json));
        EXPECT_FALSE(s.ok()) << json;
        EXPECT_EQ(s.context.rfind(std::string(path) + ": ", 0), 0u) << s.context;
        if (!words.empty()) {
            EXPECT_NE(s.context.find(words), std::string::npos) << s.context;
        }
    }
};

TEST_F(BuildTest, AnEmptyObjectGivesANewStrategy) {
    EXPECT_EQ(bytesOf(*build(Json::object())), bytesOf(*newDocument()));
}

TEST_F(BuildTest, BlocksAndWiresNeedOnlyTheirKindsAndEnds) {
    auto document = build(parsed(R"({
      "tasks": [{
        "name": "PLANT", "period": {"milliseconds": 250}, "start_mode": "Delayed:",
        "blocks": [{"kind": 11}, {"tag": "BPID", "name": "LEVEL", "settings": {"p": 2.5, "form": "Velocity"}}],
        "wires": [{"source": "AI1", "target": "LEVEL"}]
      }],
      "virtual_tags": [{"name": "SP", "type": "float", "value": 1.5}, {"name": "N", "type": 1}]
    })"));
    StrategyTask& task = document->task(0);
    EXPECT_EQ(task.name(), "PLANT");
    const auto& scan = dynamic_cast<const ScanTask&>(task.taskObject());
    EXPECT_EQ(scan.timing().period(), (ScanPeriod{0, 0, 1, 250}));
    EXPECT_EQ(scan.timing().startMode(), StartMode::Delayed);

    const std::vector<Node*> nodes = task.graph().nodes();
    ASSERT_EQ(nodes.size(), 2u);
    auto* ai = dynamic_cast<Block*>(nodes[0]);
    auto* pid = dynamic_cast<Block*>(nodes[1]);
    ASSERT_TRUE(ai != nullptr && pid != nullptr);
    EXPECT_EQ(ai->name(), "AI1");
    EXPECT_EQ(pid->name(), "LEVEL");
    EXPECT_LT(ai->order(), pid->order());
    const PropertySet settings = pid->properties();
    EXPECT_EQ(settings.value(*settings.indexOf("p")), PropertyValue(2.5));
    EXPECT_EQ(settings.value(*settings.indexOf("form")), PropertyValue(std::int64_t{1}));

    // The wire's end gives the input its source, and a plain route.
    EXPECT_EQ(pid->input(0)->sourceId, ai->id());
    ASSERT_EQ(task.graph().wires().size(), 1u);
    const Wire& wire = *task.graph().wires()[0];
    EXPECT_EQ(wire.source(), ai);
    EXPECT_EQ(wire.target(), pid);
    ASSERT_GE(wire.points().size(), 2u);
    EXPECT_EQ(wire.points().front().x, ai->box().right - 1);
    EXPECT_EQ(wire.points().back().x, pid->box().left);
    EXPECT_EQ(wire.targetAnchor(), (Point{0, wire.points().back().y - pid->box().top}));

    ASSERT_EQ(document->virtualTags().size(), 2u);
    EXPECT_EQ(document->virtualTags()[0]->initialFloat(), 1.5f);
    EXPECT_EQ(document->virtualTags()[1]->type(), VirtualTag::kInteger);
}

TEST_F(BuildTest, InputsGivenWithTheBlockStayAsGiven) {
    auto document = build(parsed(R"({"tasks": [{
        "blocks": [{"kind": 11, "id": 10}, {"kind": 26, "id": 11, "inputs": [{"source": 0}]}],
        "wires": [{"source": 10, "target": 11}]}]})"));
    auto* pid = dynamic_cast<Block*>(document->task(0).graph().nodes()[1]);
    EXPECT_EQ(pid->input(0)->sourceId, 0u);
    EXPECT_EQ(document->task(0).graph().wires().size(), 1u);
}

TEST_F(BuildTest, AWiredCalculationOperandIsTakenAsWiredLikeADrawnWire) {
    // Without the wire's notice the operands stay the constants 0 and the
    // block computes 0 - 0 on every scan.
    auto document = build(parsed(R"({"tasks": [{
        "blocks": [{"kind": 27}, {"kind": 11}, {"kind": 45, "settings": {"operator": "-", "resultType": 2}}],
        "wires": [{"source": "RMP1", "target": "SOC1", "input": 0}, {"source": "AI1", "target": "SOC1", "input": 1}]
      }]})"));
    auto* calc = dynamic_cast<CalculationBlock*>(document->task(0).graph().nodes()[2]);
    ASSERT_NE(calc, nullptr);
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_NE(calc->operand(i), nullptr);
        EXPECT_EQ(calc->operand(i)->kind, CalcOperandKind::Wired) << "operand " << i;
    }
    // The file keeps them wired: dumped again, the settings name the sources.
    const Json dumped = dumpStrategy(*document)["tasks"][0]["blocks"][2]["settings"];
    EXPECT_EQ(dumped["operand1"], "RMP1");
    EXPECT_EQ(dumped["operand2"], "AI1");
}

TEST_F(BuildTest, ANotANumberSurvivesAsText) {
    auto document = build(parsed(R"({"virtual_tags": [{"name": "X", "value": "nan"}]})"));
    EXPECT_TRUE(std::isnan(document->virtualTags()[0]->initialFloat()));
    EXPECT_EQ(dumpStrategy(*document)["virtual_tags"][0]["value"], "nan");
}

TEST_F(BuildTest, ASyntaxErrorSaysWhere) {
    Json j;
    const Status s = parseJson("{\n  \"tasks\": [\n    {\"name\": \"A\",}\n  ]\n}", j);
    EXPECT_EQ(s.code, kMsgInvalidFileFormat);
    EXPECT_EQ(s.context.rfind("line 3, column 18: ", 0), 0u) << s.context;
    EXPECT_EQ(s.context.find("json.exception"), std::string::npos) << s.context;
}

TEST_F(BuildTest, MisspeltAndMistypedMembersAreRefusedWithTheirPath) {
    expectProblemAt(R"({"taks": []})", "taks", "unknown member");
    expectProblemAt(R"([1, 2])", "(top)", "expected an object");
    expectProblemAt(R"({"tasks": {}})", "tasks", "expected an array");
    expectProblemAt(R"({"options": {"error_limit": 70000}})", "options.error_limit", "from 0 to 65535");
    expectProblemAt(R"({"options": {"beep_on_error": 1}})", "options.beep_on_error", "true or false");
    expectProblemAt(R"({"tasks": [{"placement": {"normal": [1, 2, 3]}}]})", "tasks[0].placement.normal");
    expectProblemAt(R"({"network": {"station_name": "TOOLONGNAME"}})", "network.station_name",
                    "longer than 9");
}

TEST_F(BuildTest, BlockKindsMustBeBlocksThisProgramHas) {
    expectProblemAt(R"({"tasks": [{"blocks": [{}]}]})", "tasks[0].blocks[0].kind", "\"kind\" or its \"tag\"");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 999}]}]})", "tasks[0].blocks[0].kind",
                    "no block kind");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 298}]}]})", "tasks[0].blocks[0].kind",
                    "no block kind");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "tag": "BAIN"}]}]})", "tasks[0].blocks[0].tag",
                    "BPID");
    expectProblemAt(R"({"tasks": [{"blocks": [{"tag": "PID"}]}]})", "tasks[0].blocks[0].tag",
                    "four characters");
}

TEST_F(BuildTest, SettingsAreCheckedByTheBlocksOwnTable) {
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "settings": {"form": 7}}]}]})",
                    "tasks[0].blocks[0].settings.form");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "settings": {"gain": 1}}]}]})",
                    "tasks[0].blocks[0].settings.gain", "no such setting");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "settings": {"name": "X"}}]}]})",
                    "tasks[0].blocks[0].settings.name", "field of its own");
    expectProblemAt(R"({"tasks": [{"task_object": {"settings": {"periodSeconds": 2}}}]})",
                    "tasks[0].task_object.settings.periodSeconds", "field of its own");
    expectProblemAt(R"({"tasks": [{"start_mode": 9}]})", "tasks[0].start_mode");
    expectProblemAt(R"({"tasks": [{"period": {"days": 1}}]})", "tasks[0].period.days", "unknown member");
}

TEST_F(BuildTest, NamesAndIdsMustFit) {
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "name": "ABCDEFGHIJ"}]}]})",
                    "tasks[0].blocks[0].name", "longer than 9");
    expectProblemAt(R"({"tasks": [{"name": ""}]})", "tasks[0].name", "empty");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "id": 4}, {"kind": 26, "id": 4}]}]})",
                    "tasks[0].blocks[1].id", "id 4");
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "id": 0}]}]})", "tasks[0].blocks[0].id", "from 1");
    expectProblemAt(R"({"tasks": [{"name": "A"}, {"name": "A"}]})", "tasks[1].name", "tasks[0]");
}

TEST_F(BuildTest, WiresMustJoinExistingPortsForward) {
    const char* blocks =
        R"("blocks": [{"kind": 11, "name": "AI"}, {"kind": 26, "name": "PID"}, {"kind": 26, "name": "PID2"}])";
    auto withWire = [&](std::string_view wire) {
        return std::string(R"({"tasks": [{)") + blocks + R"(, "wires": [)" + std::string(wire) + "]}]}";
    };
    expectProblemAt(withWire(R"({"source": "PID2", "target": "PID"})"), "tasks[0].wires[0]",
                    "lower to a higher");
    expectProblemAt(withWire(R"({"source": "PID", "target": "AI"})"), "tasks[0].wires[0].input", "0 inputs");
    expectProblemAt(withWire(R"({"source": "PID", "target": "PID"})"), "tasks[0].wires[0].target",
                    "two different");
    expectProblemAt(withWire(R"({"source": "AO", "target": "PID"})"), "tasks[0].wires[0].source", "no block");
    expectProblemAt(withWire(R"({"source": "AI", "target": "PID", "input": 40})"), "tasks[0].wires[0].input");
    expectProblemAt(withWire(R"({"source": "AI", "target": "PID", "output": 40})"),
                    "tasks[0].wires[0].output");
    expectProblemAt(withWire(R"({"source": "AI"})"), "tasks[0].wires[0].target");
    expectProblemAt(withWire(R"({"source": "AI", "target": "PID", "points": [[1, 2, 3]]})"),
                    "tasks[0].wires[0].points[0]");
}

TEST_F(BuildTest, PayloadsMustBeWholeRecordsOfTheKind) {
    expectProblemAt(R"({"tasks": [{"blocks": [{"kind": 26, "payload": "0g"}]}]})",
                    "tasks[0].blocks[0].payload", "character 1");
    const Status s = buildProblem(parsed(R"({"tasks": [{"blocks": [{"kind": 26, "payload": "00"}]}]})"));
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_EQ(s.context.rfind("tasks[0].blocks[0]: ", 0), 0u) << s.context;
}

TEST_F(BuildTest, APasswordMakesTheStrategyProtected) {
    auto document = build(parsed(R"({"password": "abc"})"));
    EXPECT_TRUE(document->protection().isProtected());
    EXPECT_EQ(document->protection().password(), "abc");
    expectProblemAt(R"({"protected": true})", "protected", "needs its \"password\"");
    expectProblemAt(R"({"protected": false, "password": "abc"})", "protected");
    expectProblemAt(R"({"password": "123456789012345678901234"})", "password", "longer than 23");
}

TEST_F(BuildTest, VirtualTagsAreCheckedLikeTheDialogChecksThem) {
    expectProblemAt(R"({"virtual_tags": [{"name": "A", "type": 3}]})", "virtual_tags[0].type");
    expectProblemAt(R"({"virtual_tags": [{"type": 1}]})", "virtual_tags[0].name", "needs its name");
    expectProblemAt(R"({"virtual_tags": [{"name": "A"}, {"name": "A"}]})", "virtual_tags[1].name", "exists");
    expectProblemAt(R"({"virtual_tags": [{"name": "A", "type": 1, "value": 3000000000}]})",
                    "virtual_tags[0].value");
    expectProblemAt(R"({"virtual_tags": [{"name": "A", "value": 1e300}]})", "virtual_tags[0].value",
                    "too large");
}

TEST_F(BuildTest, KeptRecordsAndSectionsMustFrame) {
    expectProblemAt(R"({"sections": [{"tag": "PWPL", "data": "0000"}]})", "sections[0].data",
                    "whole section");
    expectProblemAt(R"({"sections": [{"tag": "VTAG", "data": ""}]})", "sections[0].tag");
    expectProblemAt(R"({"tasks": [{"blocks": [{"tag": "SEGL", "record": ""}]}]})", "tasks[0].blocks[0].tag");
    expectProblemAt(
        R"({"tasks": [{"blocks": [{"tag": "BQQQ", "id": 5, "record": "010000000b0001000000000000000000000000000000000000000000"}]}]})",
        "tasks[0].blocks[0].id", "the record holds the id 1");
}

}  // namespace
}  // namespace kestrune::ksv::testing
