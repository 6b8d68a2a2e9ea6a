#pragma once
// The display items a task scans after its blocks: those whose input is
// wired to one of the task's nodes. The display framework supplies the items
// and keeps each trend item's owner task; the rule for which task takes and
// scans which item lives here.
//
// Trend items (realtime 402, historical 414) have several inputs and may be
// fed by several tasks. Every task that feeds any of their inputs takes them
// into its scan list (and so starts and stops them), but only the task that
// feeds the first input owns them and scans them; the trend thread updates
// them itself while they have no owner or the run is paused. Other items
// belong to the task feeding their first input.

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace kestrune {

class Node;

inline constexpr std::int16_t kRealtimeTrendKind = 402;
inline constexpr std::int16_t kHistoricalTrendKind = 414;

constexpr bool isSharedTrendKind(std::int32_t kind) {
    return kind == kRealtimeTrendKind || kind == kHistoricalTrendKind;
}

class TaskFedItems {
  public:
    virtual ~TaskFedItems() = default;

    // Main thread, at a task's start: every item of every display that has
    // inputs, display by display, each display's items in their order.
    virtual std::vector<Node*> itemsWithInputs() = 0;
    // Main thread: the trend item is now owned by the task with that
    // instance number.
    virtual void setOwnerTask(Node& item, std::uint16_t taskInstance) = 0;
    // Task threads, every scan: the owner's instance number, 0 for none.
    // Must be safe against setOwnerTask of a task starting meanwhile.
    virtual std::uint16_t ownerTask(const Node& item) const = 0;
};

// The items a task takes, in the order the provider lists them. `taskNodes`
// holds the ids of the task's nodes; a trend item whose first input comes
// from one of them gets `taskInstance` as its owner.
std::vector<Node*> takeFedItems(TaskFedItems& items, const std::unordered_set<std::uint32_t>& taskNodes,
                                std::uint16_t taskInstance);

}  // namespace kestrune
