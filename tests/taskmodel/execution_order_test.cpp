// The execution-order rule: renumbering when a wire runs against the order,
// the loop refusal, and a property test over random graphs.

#include "taskmodel/execution_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "resources/message_ids.h"
#include "resources/string_table.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

class ExecutionOrderTest : public GraphTest {
  protected:
    TestNode& relay() { return add({kMaskScalar}, {kTypeFloat}); }
};

TEST_F(ExecutionOrderTest, WireWithTheOrderLeavesTheNumbersAlone) {
    TestNode& a = relay();
    TestNode& b = relay();
    ConnectOutcome outcome = graph.Connect(a, 0, b, 0);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_TRUE(outcome.renumbered.empty());
    EXPECT_EQ(a.order(), 0u);
    EXPECT_EQ(b.order(), 1u);
}

TEST_F(ExecutionOrderTest, WireAgainstTheOrderSwapsTheTwo) {
    TestNode& b = relay();  // 0
    TestNode& a = relay();  // 1
    ConnectOutcome outcome = graph.Connect(a, 0, b, 0);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_LT(a.order(), b.order());
    EXPECT_EQ(std::set<Node*>(outcome.renumbered.begin(), outcome.renumbered.end()),
              (std::set<Node*>{&a, &b}));
}

TEST_F(ExecutionOrderTest, RenumberingCarriesAlongBothChains) {
    // Two chains numbered so that joining them needs both walks:
    // c(0) -> d(1)   and   x(2) -> a(3); new wire a -> c.
    TestNode& c = relay();
    TestNode& d = relay();
    TestNode& x = relay();
    TestNode& a = relay();
    wire(c, d);
    wire(x, a);
    ConnectOutcome outcome = graph.Connect(a, 0, c, 0);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_LT(x.order(), a.order());
    EXPECT_LT(a.order(), c.order());
    EXPECT_LT(c.order(), d.order());
}

TEST_F(ExecutionOrderTest, WireClosingALoopIsRefusedWith32974) {
    TestNode& a = relay();
    TestNode& b = relay();
    TestNode& c = relay();
    wire(a, b);
    wire(b, c);
    const std::size_t wiresBefore = graph.wires().size();
    ConnectOutcome outcome = graph.Connect(c, 0, a, 0);
    EXPECT_FALSE(outcome.accepted());
    EXPECT_EQ(outcome.stage, ConnectStage::Order);
    EXPECT_EQ(outcome.messageId, kMsgLoopRefused);
    EXPECT_EQ(graph.wires().size(), wiresBefore);
    EXPECT_FALSE(a.input(0)->isConnected());
    EXPECT_TRUE(c.outgoingWires().isEmpty());
    EXPECT_EQ(a.order(), 0u);
    EXPECT_EQ(b.order(), 1u);
    EXPECT_EQ(c.order(), 2u);
    ReportConnectOutcome(ui, outcome);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], strings::text(kMsgLoopRefused));
}

TEST_F(ExecutionOrderTest, SelfLoopThroughTwoNodesIsRefused) {
    TestNode& a = add({kMaskScalar, kMaskScalar}, {kTypeFloat});
    TestNode& b = relay();
    wire(a, b);
    EXPECT_EQ(graph.Connect(b, 0, a, 1).code, kMsgLoopRefused);
}

TEST_F(ExecutionOrderTest, RefusedWireLeavesEveryNumberAsItWas) {
    // A wider graph where the walks move several numbers before the loop shows.
    TestNode& a = relay();
    TestNode& b = add({kMaskScalar, kMaskScalar}, {kTypeFloat});
    TestNode& c = relay();
    TestNode& d = relay();
    TestNode& e = relay();
    wire(e, b, 0, 1);
    wire(a, b);
    wire(b, c);
    wire(c, d);
    std::map<Node*, std::uint32_t> before;
    for (Node* n : graph.nodes()) before[n] = n->order();
    ASSERT_EQ(graph.Connect(d, 0, e, 0).code, kMsgLoopRefused);
    for (Node* n : graph.nodes()) EXPECT_EQ(n->order(), before[n]);
}

// A loop through a branch the walks do not follow: once let through, it left
// the wire 3 -> 5 running downwards.
TEST_F(ExecutionOrderTest, LoopThroughASideBranchIsRefused) {
    TestNode& n1 = relay();
    TestNode& n2 = relay();
    TestNode& n3 = relay();
    TestNode& n4 = add({kMaskScalar, kMaskScalar}, {kTypeFloat});
    TestNode& n5 = relay();
    const std::uint32_t orders[] = {3, 1, 2, 5, 4};
    TestNode* all[] = {&n1, &n2, &n3, &n4, &n5};
    for (int i = 0; i < 5; ++i) all[i]->setOrder(orders[i]);
    wire(n1, n4);
    wire(n3, n5);
    wire(n2, n3);
    wire(n5, n4, 0, 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(all[i]->order(), orders[i]);
    EXPECT_EQ(graph.Connect(n4, 0, n2, 0).code, kMsgLoopRefused);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(all[i]->order(), orders[i]);
}

// ---- dealing the numbers out again ----

class RenumberTest : public ExecutionOrderTest {
  protected:
    // A wire made without the order rule, as a damaged file can hold.
    Wire& rawWire(Node& from, Node& to, int input = 0) {
        ConnectRequest r;
        r.source = &from;
        r.target = &to;
        r.targetInput = static_cast<std::uint32_t>(input);
        auto w = std::make_unique<Wire>(registry, r);
        w->attach();
        Wire& ref = *w;
        graph.Append(std::move(w));
        return ref;
    }

    std::vector<std::uint32_t> sortedOrders() {
        std::vector<std::uint32_t> out;
        for (Node* n : graph.nodes()) out.push_back(n->order());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(RenumberTest, NumbersRunningAgainstTheWiresAreDealtOutAgain) {
    TestNode& a = relay();
    TestNode& b = relay();
    TestNode& c = relay();
    TestNode& d = relay();
    rawWire(c, b);
    rawWire(b, a);
    rawWire(d, a);
    ASSERT_TRUE(RenumberAlongWires(graph.nodes()));
    EXPECT_LT(c.order(), b.order());
    EXPECT_LT(b.order(), a.order());
    EXPECT_LT(d.order(), a.order());
    EXPECT_EQ(sortedOrders(), (std::vector<std::uint32_t>{0, 1, 2, 3}));
}

TEST_F(RenumberTest, NumbersThatFitTheWiresStayPut) {
    TestNode& a = relay();
    TestNode& b = relay();
    TestNode& c = relay();
    wire(a, c);
    ASSERT_TRUE(RenumberAlongWires(graph.nodes()));
    EXPECT_EQ(a.order(), 0u);
    EXPECT_EQ(b.order(), 1u);
    EXPECT_EQ(c.order(), 2u);
}

TEST_F(RenumberTest, TheExtraEdgeCountsLikeAWire) {
    TestNode& b = relay();
    TestNode& a = relay();
    ASSERT_TRUE(RenumberAlongWires({&a, &b, &a}, &a, &b));
    EXPECT_EQ(a.order(), 0u);
    EXPECT_EQ(b.order(), 1u);
}

TEST_F(RenumberTest, ALoopChangesNothing) {
    TestNode& a = relay();
    TestNode& b = relay();
    TestNode& c = relay();
    rawWire(a, b);
    rawWire(b, a);
    rawWire(c, a);
    c.setOrder(7);
    EXPECT_FALSE(RenumberAlongWires(graph.nodes()));
    EXPECT_EQ(a.order(), 0u);
    EXPECT_EQ(b.order(), 1u);
    EXPECT_EQ(c.order(), 7u);
    // A flow that already holds a loop takes no new wire (and the walks do
    // not circle in it), while a flow elsewhere still does.
    TestNode& d = relay();
    d.setOrder(0);
    a.setOrder(3);
    EXPECT_EQ(graph.Connect(b, 0, d, 0).code, kMsgLoopRefused);
    EXPECT_EQ(d.order(), 0u);
    TestNode& e = relay();
    EXPECT_TRUE(graph.Connect(e, 0, d, 0).accepted());
    EXPECT_LT(e.order(), d.order());
}

// ---- property test ----

struct Snapshot {
    std::vector<std::vector<InputPort>> inputs;
    std::vector<std::uint32_t> orders;
};

bool samePorts(const std::vector<InputPort>& a, std::span<const InputPort> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].sourceId != b[i].sourceId || a[i].sourceOutput != b[i].sourceOutput) return false;
    }
    return true;
}

// Whether `to` can be reached from `from` along the task's wires.
bool reaches(const Node& from, const Node& to) {
    std::vector<const Node*> stack{&from};
    std::set<const Node*> seen;
    while (!stack.empty()) {
        const Node* n = stack.back();
        stack.pop_back();
        if (n == &to) return true;
        if (!seen.insert(n).second) continue;
        for (const Wire* w : n->outgoingWires()) stack.push_back(w->target());
    }
    return false;
}

class RandomGraphTest : public GraphTest {
  protected:
    void build(TaskGraph& task, std::mt19937& rng) {
        static constexpr DataType kMasks[] = {1, 2, 3, 4, 7, 7, 7};
        static constexpr DataType kTypes[] = {1, 2, 3, 4};
        const int count = std::uniform_int_distribution<int>(2, 12)(rng);
        for (int i = 0; i < count; ++i) {
            auto node = std::make_unique<TestNode>(context, kPidKind, std::initializer_list<DataType>{},
                                                   std::initializer_list<DataType>{});
            std::vector<InputPort> in(std::uniform_int_distribution<int>(0, 5)(rng));
            for (InputPort& p : in) p.acceptedMask = kMasks[rng() % 7];
            std::vector<OutputPort> out(std::uniform_int_distribution<int>(0, 3)(rng));
            for (OutputPort& p : out) p.dataType = kTypes[rng() % 4];
            node->setInputPorts(std::move(in));
            node->setOutputPorts(std::move(out));
            nodes.push_back(node.get());
            task.Append(std::move(node));
        }
        std::vector<std::uint32_t> orders(nodes.size());
        for (std::size_t i = 0; i < orders.size(); ++i) orders[i] = static_cast<std::uint32_t>(i + 1);
        std::shuffle(orders.begin(), orders.end(), rng);
        for (std::size_t i = 0; i < nodes.size(); ++i) nodes[i]->setOrder(orders[i]);
    }

    Snapshot snapshot() const {
        Snapshot s;
        for (const Node* n : nodes) {
            s.inputs.emplace_back(n->inputs().begin(), n->inputs().end());
            s.orders.push_back(n->order());
        }
        return s;
    }

    void expectInvariants(const TaskGraph& task, const std::string& where) {
        for (const Wire* w : task.wires()) {
            ASSERT_LT(w->source()->order(), w->target()->order()) << where;
            ASSERT_EQ(w->target()->input(w->targetInput())->sourceId, w->source()->id()) << where;
        }
        std::vector<std::uint32_t> orders;
        for (const Node* n : nodes) orders.push_back(n->order());
        std::sort(orders.begin(), orders.end());
        for (std::size_t i = 0; i < orders.size(); ++i) ASSERT_EQ(orders[i], i + 1) << where;
    }

    std::vector<Node*> nodes;
};

TEST_F(RandomGraphTest, AcceptedWiresKeepTheOrderAndRefusedOnesChangeNothing) {
    int accepted = 0;
    int renumbered = 0;
    int loops = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        TaskGraph task(registry);  // each round starts from an empty task
        nodes.clear();
        build(task, rng);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string where = "seed " + std::to_string(seed) + " attempt " + std::to_string(attempt);
            Node& s = *nodes[rng() % nodes.size()];
            Node& t = *nodes[rng() % nodes.size()];
            const int out = std::uniform_int_distribution<int>(-1, s.outputCount())(rng);
            const int in = std::uniform_int_distribution<int>(-1, t.inputCount())(rng);
            const bool loop = &s != &t && reaches(t, s);
            const Snapshot before = snapshot();
            ConnectOutcome outcome = task.Connect(s, out, t, in);
            if (outcome.accepted()) {
                ++accepted;
                if (!outcome.renumbered.empty()) ++renumbered;
                ASSERT_FALSE(loop) << where;
                expectInvariants(task, where);
            } else {
                for (std::size_t i = 0; i < nodes.size(); ++i) {
                    ASSERT_TRUE(samePorts(before.inputs[i], nodes[i]->inputs())) << where;
                    ASSERT_EQ(before.orders[i], nodes[i]->order()) << where;
                }
                if (outcome.stage == ConnectStage::Order) {
                    ++loops;
                    ASSERT_TRUE(loop) << where << ": refused a wire that closes no loop";
                }
            }
            // Now and then take a wire away again, so inputs free up.
            if (rng() % 6 == 0 && !task.wires().empty()) {
                auto wires = task.wires();
                task.RemoveWire(*wires[rng() % wires.size()]);
                expectInvariants(task, where + " after removal");
            }
        }
    }
    // The generator must actually reach both outcomes.
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(renumbered, 300);
    EXPECT_GT(loops, 50);
}

}  // namespace
}  // namespace kestrune::testing
