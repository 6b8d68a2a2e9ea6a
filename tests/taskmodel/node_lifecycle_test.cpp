// Destroying and deleting nodes, and inputs that name their source without a
// wire.

#include <gtest/gtest.h>

#include "resources/message_ids.h"
#include "resources/string_table.h"
#include "taskmodel/port_choice.h"
#include "taskmodel/reference_source.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

class RecordingOutputs : public OutputRegistry {
  public:
    void OutputRemoved(std::uint16_t nodeId, std::uint32_t index) override {
        calls.emplace_back(nodeId, index);
    }
    std::vector<std::pair<std::uint16_t, std::uint32_t>> calls;
};

class NodeLifecycleTest : public GraphTest {};

TEST_F(NodeLifecycleTest, DestructionTellsTheOutputRegistryOncePerOutput) {
    RecordingOutputs outputs;
    NodeContext withOutputs = context;
    withOutputs.outputRegistry = &outputs;
    std::uint16_t id = 0;
    {
        TestNode node(withOutputs, kPidKind, {}, {kTypeFloat, kTypeFloat, kTypeInteger});
        id = node.id();
    }
    using Call = std::pair<std::uint16_t, std::uint32_t>;
    EXPECT_EQ(outputs.calls, (std::vector<Call>{{id, 0}, {id, 1}, {id, 2}}));
}

TEST_F(NodeLifecycleTest, DeletingABlockClearsEveryInputThatNamedIt) {
    TestNode& source = add({}, {kTypeFloat, kTypeFloat});
    TestNode& wired = add({kTypeFloat}, {});
    TestNode& viaReference = add({kTypeFloat, kTypeFloat}, {}, kMeterKind);
    TestNode& other = add({}, {kTypeFloat});
    wire(source, wired);
    ASSERT_EQ(BindReference(viaReference, 0, source, 1), kOk);
    ASSERT_EQ(BindReference(viaReference, 1, other, 0), kOk);
    const std::uint16_t sourceId = source.id();

    ASSERT_TRUE(graph.DeleteNode(source));
    EXPECT_EQ(registry.FindObject(sourceId), nullptr);
    EXPECT_EQ(wired.input(0)->sourceId, 0u);
    EXPECT_TRUE(wired.incomingWires().isEmpty());
    EXPECT_EQ(viaReference.input(0)->sourceId, 0u);
    EXPECT_EQ(viaReference.input(0)->sourceOutput, 0u);
    EXPECT_EQ(viaReference.input(1)->sourceId, other.id());
    EXPECT_TRUE(graph.wires().empty());
}

TEST_F(NodeLifecycleTest, DeletingANodeClosesTheGapInTheOrderNumbers) {
    std::vector<TestNode*> nodes;
    for (int i = 0; i < 5; ++i) nodes.push_back(&add({}, {}));  // 0..4
    ASSERT_TRUE(graph.DeleteNode(*nodes[2]));
    std::vector<std::uint32_t> orders;
    for (Node* n : graph.nodes()) orders.push_back(n->order());
    EXPECT_EQ(orders, (std::vector<std::uint32_t>{0, 1, 2, 3}));
}

TEST_F(NodeLifecycleTest, DeleteNodeRefusesANodeOfAnotherTask) {
    TestNode stray(context, kPidKind, {}, {});
    EXPECT_FALSE(graph.DeleteNode(stray));
    EXPECT_EQ(registry.FindObject(stray.id()), &stray);
}

TEST_F(NodeLifecycleTest, DestroyedConsumerLeavesItsSourcesConsumerList) {
    TestNode& source = add({}, {kTypeFloat});
    auto consumer = std::make_unique<TestNode>(
        context, kMeterKind, std::initializer_list<DataType>{kTypeFloat}, std::initializer_list<DataType>{});
    ASSERT_EQ(BindReference(*consumer, 0, source, 0), kOk);
    EXPECT_EQ(source.consumers(), std::vector<std::uint32_t>{consumer->id()});
    consumer.reset();
    EXPECT_TRUE(source.consumers().empty());
}

TEST_F(NodeLifecycleTest, AWireOutlivingItsNodeHasAnEmptyEnd) {
    auto a = std::make_unique<TestNode>(context, kPidKind, std::initializer_list<DataType>{},
                                        std::initializer_list<DataType>{kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    Wire& w = wire(*a, b);
    a.reset();
    EXPECT_EQ(w.source(), nullptr);
    EXPECT_EQ(w.target(), &b);
    graph.RemoveWire(w);  // must not touch the dead node
    EXPECT_FALSE(b.input(0)->isConnected());
}

TEST_F(NodeLifecycleTest, DestroyingAWireTakesItOutOfBothLists) {
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    Wire& w = wire(a, b);
    delete graph.Release(w).release();
    EXPECT_TRUE(a.outgoingWires().isEmpty());
    EXPECT_TRUE(b.incomingWires().isEmpty());
}

// Records, as it goes, how many wires still named it.
class WatchedNode : public TestNode {
  public:
    using TestNode::TestNode;
    ~WatchedNode() override {
        if (wiresAtDeath != nullptr)
            wiresAtDeath->push_back(incomingWires().count() + outgoingWires().count());
    }
    std::vector<std::size_t>* wiresAtDeath = nullptr;
};

TEST_F(NodeLifecycleTest, DestroyingTheObjectsTakesTheWiresBeforeTheNodes) {
    std::vector<std::size_t> wiresAtDeath;
    std::vector<WatchedNode*> chain;
    for (int i = 0; i < 4; ++i) {
        chain.push_back(&add<WatchedNode>({kTypeFloat}, {kTypeFloat}));
        chain.back()->wiresAtDeath = &wiresAtDeath;
        if (i > 0) wire(*chain[i - 1], *chain[i]);
    }
    ASSERT_EQ(registry.size(), 7u);
    graph.DestroyObjects();
    EXPECT_EQ(wiresAtDeath, (std::vector<std::size_t>{0, 0, 0, 0}));
    EXPECT_TRUE(graph.objects().isEmpty());
    EXPECT_TRUE(graph.objects().ownsItems());
    EXPECT_EQ(registry.size(), 0u);
    // The graph stays usable.
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {});
    wire(a, b);
    EXPECT_EQ(graph.objects().count(), 3u);
}

TEST_F(NodeLifecycleTest, AListThatDoesNotOwnItsNodesStillLosesItsWires) {
    auto a = std::make_unique<TestNode>(context, kPidKind, std::initializer_list<DataType>{},
                                        std::initializer_list<DataType>{kTypeFloat});
    auto b = std::make_unique<TestNode>(context, kPidKind, std::initializer_list<DataType>{kTypeFloat},
                                        std::initializer_list<DataType>{});
    graph.objects().setOwnsItems(false);
    ASSERT_EQ(graph.objects().AddTail(a.get()), kOk);
    ASSERT_EQ(graph.objects().AddTail(b.get()), kOk);
    wire(*a, *b);
    graph.DestroyObjects();
    EXPECT_TRUE(graph.objects().isEmpty());
    EXPECT_FALSE(graph.objects().ownsItems());
    EXPECT_TRUE(a->outgoingWires().isEmpty());
    EXPECT_TRUE(b->incomingWires().isEmpty());
    EXPECT_EQ(registry.size(), 2u);
}

TEST_F(NodeLifecycleTest, ConsumersAreAddedAndEveryOccurrenceRemoved) {
    TestNode& n = add({}, {});
    n.AddConsumer(5);
    n.AddConsumer(6);
    n.AddConsumer(5);
    n.RemoveConsumer(5);
    EXPECT_EQ(n.consumers(), std::vector<std::uint32_t>{6});
}

TEST_F(NodeLifecycleTest, DumpListsNeighboursByWire) {
    TestNode& a = add({}, {kTypeFloat});
    TestNode& b = add({kTypeFloat}, {kTypeFloat});
    TestNode& c = add({kTypeFloat}, {});
    wire(a, b);
    wire(b, c);
    std::string text;
    b.Dump(text);
    EXPECT_EQ(text, "Node:" + std::to_string(b.id()) + " Type=26, In:" + std::to_string(a.id()) +
                        " Out:" + std::to_string(c.id()) + " \r\n");
}

TEST_F(NodeLifecycleTest, NamesKeepNineCharacters) {
    TestNode& n = add({}, {});
    n.setName("TEMPERATURE1");
    EXPECT_EQ(n.Name(), "TEMPERATU");
    EXPECT_EQ(n.Caption(), "");
}

TEST_F(NodeLifecycleTest, OutputCaptionIdsEndWithZero) {
    TestNode& n = add({}, {kTypeFloat, kTypeFloat});
    n.outputs()[0].nameId = 31000;
    n.outputs()[1].nameId = 31001;
    EXPECT_EQ(OutputCaptionIds(n), (std::vector<std::int32_t>{31000, 31001, 0}));
    TestNode& none = add({}, {});
    EXPECT_EQ(OutputCaptionIds(none), std::vector<std::int32_t>{0});
}

// ---- references chosen in a selection dialog ----

class ReferenceTest : public GraphTest {};

TEST_F(ReferenceTest, EmptySelectionIsShownAndKeepsTheDialogOpen) {
    TestNode& meter = add({kTypeFloat}, {}, kMeterKind);
    EXPECT_EQ(CheckChosenSource(ui, meter, nullptr), kMsgEmptySelection);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], strings::text(kMsgEmptySelection));
}

TEST_F(ReferenceTest, ADisplayItemCannotNameItself) {
    TestNode& meter = add({kTypeFloat}, {kTypeFloat}, kMeterKind);
    EXPECT_EQ(CheckChosenSource(ui, meter, &meter), kMsgInputIsItself);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], strings::text(kMsgInputIsItself));
}

TEST_F(ReferenceTest, MatchingTypesAreTakenWithoutAQuestion) {
    TestNode& meter = add({kMaskNumber}, {}, kMeterKind);
    TestNode& pid = add({}, {kTypeFloat});
    EXPECT_EQ(CheckChosenSource(ui, meter, &pid), kOk);
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(ReferenceTest, MismatchAsksAndOnlyYesTakesTheChoice) {
    TestNode& meter = add({kTypeFloat}, {}, kMeterKind);
    TestNode& textBlock = add({}, {kTypeString});
    ui.answer(Answer::No);
    EXPECT_EQ(CheckChosenSource(ui, meter, &textBlock), kMsgDataTypeMismatchContinue);
    ui.answer(Answer::Yes);
    EXPECT_EQ(CheckChosenSource(ui, meter, &textBlock), kOk);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, ScriptedUserInterface::Kind::YesNo);
    EXPECT_EQ(shown[0].text, strings::text(kMsgDataTypeMismatchContinue));
    EXPECT_TRUE(ui.errors().empty());
}

TEST_F(ReferenceTest, OnlyBlocksAreTypeChecked) {
    TestNode& meter = add({kTypeFloat}, {}, kMeterKind);
    TestNode& textItem = add({}, {kTypeString}, 429);
    EXPECT_EQ(CheckChosenSource(ui, meter, &textItem), kOk);
    EXPECT_TRUE(ui.shown().empty());
}

TEST(ReferenceTypes, PairsMatchOnTheirScalarBits) {
    EXPECT_TRUE(ReferenceTypesMatch(kTypeString, kTypeString));
    EXPECT_TRUE(ReferenceTypesMatch(kMaskNumber, kTypeInteger));
    EXPECT_TRUE(ReferenceTypesMatch(kTypeFloat, kTypeFloatArray));
    EXPECT_FALSE(ReferenceTypesMatch(kTypeFloat, kTypeInteger));
    EXPECT_FALSE(ReferenceTypesMatch(kTypeIntegerArray, kTypeFloatArray));  // the array bit alone is no match
    EXPECT_FALSE(ReferenceTypesMatch(0, kTypeFloat));
}

TEST_F(ReferenceTest, RebindingLetsGoOfTheOldSourceOnce) {
    TestNode& a = add({}, {kTypeFloat, kTypeFloat});
    TestNode& b = add({}, {kTypeFloat});
    TestNode& item = add({kTypeFloat, kTypeFloat}, {}, kMeterKind);
    ASSERT_EQ(BindReference(item, 0, a, 0), kOk);
    ASSERT_EQ(BindReference(item, 1, a, 1), kOk);
    EXPECT_EQ(a.consumers(), std::vector<std::uint32_t>{item.id()});
    ASSERT_EQ(BindReference(item, 0, b, 0), kOk);
    // Input 1 still reads from a, so a keeps the registration.
    EXPECT_EQ(a.consumers(), std::vector<std::uint32_t>{item.id()});
    EXPECT_EQ(b.consumers(), std::vector<std::uint32_t>{item.id()});
    ReleaseReference(item, 1);
    EXPECT_TRUE(a.consumers().empty());
    EXPECT_EQ(BindReference(item, 7, a, 0), kConnectBadPort);
}

}  // namespace
}  // namespace kestrune::testing
