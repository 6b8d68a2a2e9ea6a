#pragma once
// What a node is created in. The task designer (or the display view, or the
// strategy loader) hands the same context to every node it makes: the
// strategy's registry, the task's object list with its order numbers, the
// task object, the place told when a node's outputs go away, the user
// interface for the questions a node asks, and whether the node belongs to a
// real task (live) or is a scratch copy for the clipboard. Blocks also reach
// the task designer that shows them and the tag database they publish in;
// either may be absent (no drawing options, no tags).

#include <cstdint>

namespace kestrune {

class ObjectRegistry;
class ScanTask;
class TagDatabase;
class TaskGraph;
class TaskViewHost;
class UserInterface;

// Told once per output index when a node is destroyed, so that whatever
// published or linked those outputs can let go of them.
class OutputRegistry {
  public:
    virtual ~OutputRegistry() = default;
    virtual void OutputRemoved(std::uint16_t nodeId, std::uint32_t outputIndex) = 0;
};

struct NodeContext {
    ObjectRegistry& registry;
    TaskGraph* graph = nullptr;
    ScanTask* task = nullptr;
    OutputRegistry* outputRegistry = nullptr;
    UserInterface* ui = nullptr;
    bool live = false;
    TaskViewHost* view = nullptr;
    TagDatabase* tags = nullptr;
};

}  // namespace kestrune
