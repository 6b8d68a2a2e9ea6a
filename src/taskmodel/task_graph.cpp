#include "taskmodel/task_graph.h"

#include "taskmodel/execution_order.h"
#include "taskmodel/node.h"

namespace kestrune {

TaskGraph::~TaskGraph() {
    DestroyObjects();
}

bool TaskGraph::orderNewWire(Node& source, Node& target, std::vector<Node*>& renumbered) {
    OrderResult order = ApplyExecutionOrder(source, target);
    renumbered = std::move(order.renumbered);
    return order.accepted;
}

void TaskGraph::nodeRemoved(const Node& node) {
    const std::uint32_t gone = node.order();
    for (Node* other : nodes()) {
        if (other->order() > gone) other->setOrder(other->order() - 1);
    }
}

}  // namespace kestrune
