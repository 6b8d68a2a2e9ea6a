#pragma once
// A concrete node for the tests (the shared stub with ports) and a fixture holding one strategy's registry, one task and a scripted user
// interface.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/scripted_user_interface.h"
#include "support/stub_node.h"
#include "taskmodel/node.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"
#include "taskmodel/wire.h"

namespace kestrune::testing {

inline constexpr std::int16_t kPidKind = 26;
inline constexpr std::int16_t kMeterKind = 410;

class TestNode : public test_support::StubNode {
  public:
    TestNode(const NodeContext& context, std::int16_t kind, std::initializer_list<DataType> inputMasks,
             std::initializer_list<DataType> outputTypes)
        : StubNode(context, kind, fourcc("BTST"), inputMasks, outputTypes) {}
};

// A kind with several outputs and inputs that lets the user pick the port.
class ChoosingNode : public TestNode {
  public:
    using TestNode::TestNode;
    Code ConnectFrom(ConnectRequest& request) override {
        chooseOutputPort(request, "Output From:");
        return Node::ConnectFrom(request);
    }
    Code ConnectTo(ConnectRequest& request) override {
        chooseInputPort(request, "Connect to:");
        return Node::ConnectTo(request);
    }
};

class GraphTest : public ::testing::Test {
  protected:
    // A node in the task, numbered like a live block.
    template <class T = TestNode>
    T& add(std::initializer_list<DataType> inputs, std::initializer_list<DataType> outputs,
           std::int16_t kind = kPidKind) {
        auto node = std::make_unique<T>(context, kind, inputs, outputs);
        node->setOrder(graph.takeOrderNumber());
        T& ref = *node;
        EXPECT_EQ(graph.Append(std::move(node)), kOk);
        return ref;
    }

    // Wire from output 0 to input 0, which must be accepted.
    Wire& wire(Node& from, Node& to, int output = 0, int input = 0) {
        ConnectOutcome outcome = graph.Connect(from, output, to, input);
        EXPECT_TRUE(outcome.accepted()) << "code " << outcome.code;
        return *outcome.wire;
    }

    ScriptedUserInterface ui;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, &ui, true};
};

}  // namespace kestrune::testing
