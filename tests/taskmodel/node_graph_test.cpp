// A plain node graph (a display's items) and nodes made under a host that is
// not a task: no order numbers anywhere, the host's name on the tags, the
// host's dialogs and port lists.

#include <gtest/gtest.h>

#include "support/stub_node_host.h"
#include "taskmodel/node_graph.h"
#include "test_blocks.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

class PlainGraphTest : public GraphTest {
  protected:
    TestNode& addPlain(std::uint32_t order) {
        auto node = std::make_unique<TestNode>(context, kMeterKind, std::initializer_list<DataType>{kMaskNumber},
                                               std::initializer_list<DataType>{kTypeFloat});
        node->setOrder(order);
        TestNode& ref = *node;
        EXPECT_EQ(plain.Append(std::move(node)), kOk);
        return ref;
    }

    NodeGraph plain{registry};
};

TEST_F(PlainGraphTest, WiresAgainstTheNumbersAndLoopsAreTaken) {
    EXPECT_EQ(plain.asTaskGraph(), nullptr);
    TestNode& high = addPlain(5);
    TestNode& low = addPlain(1);
    const ConnectOutcome down = plain.Connect(high, 0, low, 0);
    ASSERT_TRUE(down.accepted());
    EXPECT_TRUE(down.renumbered.empty());
    EXPECT_TRUE(plain.Connect(low, 0, high, 0).accepted());
    EXPECT_EQ(high.order(), 5u);
    EXPECT_EQ(low.order(), 1u);
    EXPECT_EQ(plain.wires().size(), 2u);
}

TEST_F(PlainGraphTest, DeletingANodeTakesItsWiresAndLeavesTheNumbers) {
    TestNode& first = addPlain(1);
    TestNode& second = addPlain(2);
    TestNode& third = addPlain(3);
    plain.Connect(first, 0, second, 0);
    plain.Connect(second, 0, third, 0);
    ASSERT_TRUE(plain.DeleteNode(second));
    EXPECT_TRUE(plain.wires().empty());
    EXPECT_EQ(third.order(), 3u);
    // A node of another graph is not this graph's to delete.
    TestNode& elsewhere = add({}, {});
    EXPECT_FALSE(plain.DeleteNode(elsewhere));
}

// A display as the host: a plain graph and its own name.
class DisplayHostTest : public BlockTest {
  protected:
    NodeGraph items{registry};
    test_support::StubNodeHost display{&items, "DISP1"};
    NodeContext onDisplay{registry, nullptr, nullptr, &ui, true, &display, &tags};
};

TEST_F(DisplayHostTest, ABlockUnderADisplayTakesNoNumberAndPublishesUnderItsName) {
    auto block = std::make_unique<GainBlock>(onDisplay);
    EXPECT_EQ(block->order(), 0u);
    EXPECT_EQ(block->taskName(), "DISP1");
    EXPECT_TRUE(tags.IsTagExist("DISP1", block->name()));
    block->Configure();
    ASSERT_EQ(display.configured.size(), 1u);
    EXPECT_EQ(display.configured[0], block.get());
    block.reset();
    EXPECT_EQ(graph.nextOrderNumber(), 1u);
}

class PortChoosingHost : public test_support::StubNodeHost {
  public:
    using StubNodeHost::StubNodeHost;
    bool choosePort(std::string_view caption, const std::vector<std::string>& captions,
                    ConnectRequest& request) override {
        asked = std::string(caption) + ":" + std::to_string(captions.size());
        request.requestedPort = 1;
        return true;
    }
    std::string asked;
};

TEST_F(DisplayHostTest, AnItemAsksItsHostForDialogAndPortList) {
    PortChoosingHost host{&items, "DISP1"};
    NodeContext c = onDisplay;
    c.host = &host;
    ChoosingNode item(c, kMeterKind, {}, {kTypeFloat, kTypeInteger});
    EXPECT_EQ(item.properties().size(), 0u);
    item.Configure();
    EXPECT_EQ(host.configured, std::vector<Node*>{&item});
    ConnectRequest request;
    EXPECT_EQ(item.ConnectFrom(request), kConnectAccepted);
    EXPECT_EQ(host.asked, "Output From::2");
    EXPECT_EQ(request.sourceOutput, 1u);
    // The user interface was not asked: the host showed the list.
    EXPECT_TRUE(ui.shown().empty());
}

}  // namespace
}  // namespace kestrune::testing
