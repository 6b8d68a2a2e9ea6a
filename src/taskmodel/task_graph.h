#pragma once
// The objects of one task: a node graph that also hands out the execution
// order numbers of the nodes created in it, keeps every new wire running
// from a lower number to a higher one (see execution_order.h), and closes
// the gap a deleted node leaves in the numbers.

#include <cstdint>
#include <vector>

#include "taskmodel/node_graph.h"

namespace kestrune {

class TaskGraph final : public NodeGraph {
  public:
    explicit TaskGraph(ObjectRegistry& registry) : NodeGraph(registry) {}
    // Destroys the objects while the numbering is still there: live blocks
    // give their numbers back as they go.
    ~TaskGraph() override;

    TaskGraph* asTaskGraph() override { return this; }

    // Order numbers handed to live nodes as they are made.
    std::uint32_t nextOrderNumber() const { return nextOrder_; }
    void setNextOrderNumber(std::uint32_t n) { nextOrder_ = n; }
    // The next number, counted on.
    std::uint32_t takeOrderNumber() { return nextOrder_++; }
    // A live node went away: one number fewer (never below 0).
    void releaseOrderNumber() {
        if (nextOrder_ > 0) --nextOrder_;
    }

  protected:
    // The execution-order rule; refuses a wire that would close a loop.
    bool orderNewWire(Node& source, Node& target, std::vector<Node*>& renumbered) override;
    // Moves every node numbered above the deleted one down by one.
    void nodeRemoved(const Node& node) override;

  private:
    std::uint32_t nextOrder_ = 0;
};

}  // namespace kestrune
