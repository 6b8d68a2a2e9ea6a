// Making and removing wires: the result codes of both ends, type masks, the
// port list, and what the task's lists and the ports look like afterwards.

#include <gtest/gtest.h>

#include "resources/message_ids.h"
#include "resources/string_table.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

class ConnectTest : public GraphTest {};

TEST_F(ConnectTest, ConnectFromChecksTheRequestedOutput) {
    TestNode& none = add({kTypeFloat}, {});
    TestNode& two = add({}, {kTypeFloat, kTypeString});
    ConnectRequest r;
    r.requestedPort = 0;
    EXPECT_EQ(none.ConnectFrom(r), kConnectNoOutputs);
    r.requestedPort = 2;
    EXPECT_EQ(two.ConnectFrom(r), kConnectBadPort);
    r.requestedPort = -1;
    EXPECT_EQ(two.ConnectFrom(r), kConnectCancelled);

    r.targetId = 99;
    r.target = &none;
    r.requestedPort = 1;
    ASSERT_EQ(two.ConnectFrom(r), kConnectAccepted);
    EXPECT_EQ(r.sourceId, two.id());
    EXPECT_EQ(r.source, &two);
    EXPECT_EQ(r.sourceOutput, 1u);
    EXPECT_EQ(r.dataType, kTypeString);
    EXPECT_EQ(r.targetId, 0u);
    EXPECT_EQ(r.target, nullptr);
}

TEST_F(ConnectTest, ConnectToChecksTheRequestedInput) {
    TestNode& source = add({}, {kTypeFloat});
    TestNode& noInputs = add({}, {kTypeFloat});
    TestNode& target = add({kTypeFloat, kTypeInteger}, {});
    ConnectRequest r;
    ASSERT_EQ(source.ConnectFrom(r), kConnectAccepted);
    r.requestedPort = 0;
    EXPECT_EQ(noInputs.ConnectTo(r), kConnectNoInputs);
    r.requestedPort = 2;
    EXPECT_EQ(target.ConnectTo(r), kConnectBadPort);
    r.requestedPort = -3;
    EXPECT_EQ(target.ConnectTo(r), kConnectCancelled);
    r.requestedPort = 1;
    EXPECT_EQ(target.ConnectTo(r), kConnectTypeMismatch);
    EXPECT_FALSE(target.input(1)->isConnected());
    r.requestedPort = 0;
    ASSERT_EQ(target.ConnectTo(r), kConnectAccepted);
    EXPECT_EQ(r.targetId, target.id());
    EXPECT_EQ(r.targetInput, 0u);
    EXPECT_EQ(target.input(0)->sourceId, source.id());
}

TEST_F(ConnectTest, AnInputThatHasASourceRefusesWith8AndKeepsIt) {
    TestNode& first = add({}, {kTypeFloat});
    TestNode& second = add({}, {kTypeFloat, kTypeFloat});
    TestNode& target = add({kTypeFloat}, {});
    Wire& existing = wire(first, target);
    ConnectOutcome outcome = graph.Connect(second, 1, target, 0);
    EXPECT_EQ(outcome.stage, ConnectStage::Target);
    EXPECT_EQ(outcome.code, kConnectInputInUse);
    EXPECT_EQ(outcome.messageId, kMsgInputAlreadyConnected);
    EXPECT_EQ(target.input(0)->sourceId, first.id());
    EXPECT_EQ(target.input(0)->sourceOutput, 0u);
    EXPECT_EQ(target.incomingWires().items(), std::vector<Wire*>{&existing});
    EXPECT_EQ(graph.wires().size(), 1u);
}

struct TypeCase {
    DataType output;
    DataType mask;
    bool accepted;
};

class TypeMaskTest : public GraphTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeMaskTest, OutputFeedsInputWhenTheyShareABit) {
    const TypeCase& c = GetParam();
    TestNode& source = add({}, {c.output});
    TestNode& target = add({c.mask}, {});
    ConnectOutcome outcome = graph.Connect(source, 0, target, 0);
    EXPECT_EQ(outcome.accepted(), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(outcome.code, kConnectTypeMismatch);
        EXPECT_EQ(outcome.messageId, kMsgDataTypeMismatch);
        EXPECT_FALSE(target.input(0)->isConnected());
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, TypeMaskTest,
                         ::testing::Values(TypeCase{3, 1, true}, TypeCase{3, 2, true}, TypeCase{4, 3, false},
                                           TypeCase{4, 7, true}, TypeCase{1, 2, false},
                                           TypeCase{kTypeFloatArray, kTypeFloatArray, true},
                                           TypeCase{kTypeFloatArray, kTypeInteger, false}));

TEST_F(ConnectTest, ResultCodesMapToTheMessagesOfEachEnd) {
    EXPECT_EQ(MessageAfterConnectFrom(kConnectAccepted), 0);
    EXPECT_EQ(MessageAfterConnectFrom(kConnectCancelled), 0);
    EXPECT_EQ(MessageAfterConnectFrom(kConnectNoOutputs), kMsgNoOutputAvailable);
    EXPECT_EQ(MessageAfterConnectFrom(kConnectNoOutputAvailable), kMsgNoOutputAvailable);
    EXPECT_EQ(MessageAfterConnectFrom(kConnectOutOfMemory), kMsgOutOfMemory);
    for (Code c : {kConnectNoInputs, kConnectBadPort, kConnectTypeMismatch, kConnectInputInUse,
                   kConnectExisting, 99}) {
        EXPECT_EQ(MessageAfterConnectFrom(c), kMsgInvalidConnection) << c;
    }
    EXPECT_EQ(MessageAfterConnectTo(kConnectCancelled), 0);
    EXPECT_EQ(MessageAfterConnectTo(kConnectNoInputs), kMsgCannotAcceptInput);
    EXPECT_EQ(MessageAfterConnectTo(kConnectTypeMismatch), kMsgDataTypeMismatch);
    EXPECT_EQ(MessageAfterConnectTo(kConnectInputInUse), kMsgInputAlreadyConnected);
    EXPECT_EQ(MessageAfterConnectTo(kConnectOutOfMemory), kMsgOutOfMemory);
    EXPECT_EQ(MessageAfterConnectTo(kConnectExisting), kMsgExistingConnection);
    for (Code c : {kConnectNoOutputs, kConnectBadPort, kConnectNoOutputAvailable, 99}) {
        EXPECT_EQ(MessageAfterConnectTo(c), kMsgInvalidConnection) << c;
    }
}

TEST_F(ConnectTest, AcceptedWireIsListedEverywhereAndMarksTheStrategyModified) {
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    registry.setModified(false);
    const Point path[] = {{10, 10}, {40, 10}, {40, 30}};
    ConnectOutcome outcome = graph.Connect(a, 0, b, 0, path);
    ASSERT_TRUE(outcome.accepted());
    Wire& w = *outcome.wire;
    EXPECT_EQ(w.source(), &a);
    EXPECT_EQ(w.target(), &b);
    EXPECT_EQ(w.points().size(), 3u);
    EXPECT_EQ(a.outgoingWires().items(), std::vector<Wire*>{&w});
    EXPECT_EQ(b.incomingWires().items(), std::vector<Wire*>{&w});
    EXPECT_EQ(graph.objects().items().back(), &w);
    EXPECT_TRUE(registry.modified());
}

TEST_F(ConnectTest, CancellingThePortListEndsTheGestureSilently) {
    ChoosingNode& source = add<ChoosingNode>({}, {kTypeFloat, kTypeFloat});
    TestNode& target = add({kTypeFloat}, {});
    ui.choose(std::nullopt);
    ConnectOutcome outcome = graph.Connect(source, 0, target, 0);
    EXPECT_EQ(outcome.code, kConnectCancelled);
    EXPECT_EQ(outcome.messageId, 0);
    ReportConnectOutcome(ui, outcome);
    ASSERT_EQ(ui.shown().size(), 1u);  // the list itself, nothing after it
    EXPECT_EQ(ui.shown()[0].kind, ScriptedUserInterface::Kind::List);
    EXPECT_FALSE(target.input(0)->isConnected());
    EXPECT_TRUE(graph.wires().empty());
    EXPECT_TRUE(ui.errors().empty());
}

TEST_F(ConnectTest, ThePortListOffersCaptionsAndTakesTheChoice) {
    ChoosingNode& source = add<ChoosingNode>({}, {kTypeFloat, kTypeString});
    source.outputs()[0].nameId = kMsgOutOfMemory;  // any id with a text
    ChoosingNode& target = add<ChoosingNode>({kTypeFloat, kTypeString}, {});
    ui.choose(1);
    ui.choose(1);
    ConnectOutcome outcome = graph.Connect(source, 0, target, 0);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_EQ(outcome.wire->sourceOutput(), 1);
    EXPECT_EQ(outcome.wire->targetInput(), 1);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "Output From:");
    EXPECT_EQ(shown[0].items, (std::vector<std::string>{strings::text(kMsgOutOfMemory), "Channel 1"}));
    EXPECT_EQ(shown[1].caption, "Connect to:");
}

TEST_F(ConnectTest, TargetEqualToSourceEndsLikeACancel) {
    TestNode& a = add({kTypeFloat}, {kTypeFloat});
    ConnectOutcome outcome = graph.Connect(a, 0, a, 0);
    EXPECT_FALSE(outcome.accepted());
    EXPECT_EQ(outcome.messageId, 0);
    EXPECT_FALSE(a.input(0)->isConnected());
}

TEST_F(ConnectTest, RefusalAtTheSourceShowsItsMessage) {
    TestNode& a = add({kTypeFloat}, {});
    TestNode& b = add({kTypeFloat}, {});
    ConnectOutcome outcome = graph.Connect(a, 0, b, 0);
    EXPECT_EQ(outcome.stage, ConnectStage::Source);
    ReportConnectOutcome(ui, outcome);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], strings::text(kMsgNoOutputAvailable));
    EXPECT_EQ(ui.shown()[0].caption, strings::text(kMsgMessageCaption));
}

TEST_F(ConnectTest, RemovingAWireDisconnectsBothEnds) {
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    Wire& w = wire(a, b);
    const std::uint16_t wireId = w.id();
    graph.RemoveWire(w);
    EXPECT_FALSE(b.input(0)->isConnected());
    EXPECT_TRUE(a.outgoingWires().isEmpty());
    EXPECT_TRUE(b.incomingWires().isEmpty());
    EXPECT_TRUE(graph.wires().empty());
    EXPECT_EQ(registry.FindObject(wireId), nullptr);
    // The input is free again.
    EXPECT_TRUE(graph.Connect(a, 0, b, 0).accepted());
}

TEST_F(ConnectTest, DisconnectInputIgnoresAnIndexBeyondTheTable) {
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    Wire& w = wire(a, b);
    TestNode& c = add({}, {});
    c.DisconnectInput(w);  // c has no inputs at all
    EXPECT_TRUE(b.input(0)->isConnected());
}

}  // namespace
}  // namespace kestrune::testing
