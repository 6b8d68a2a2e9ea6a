#pragma once
// What a node is created in. The task designer (or the display view, or the
// strategy loader) hands the same context to every node it makes: the
// strategy's registry, the owner task, the place told when a node's outputs
// go away, the user interface for the questions a node asks, whether the
// node belongs to a real task or display (live) or is a scratch copy for the
// clipboard, the host that shows it (its owner name, drawing options, graph
// and dialogs), and the tag database it publishes in. Host and database may
// be absent (no drawing options, no tags).

#include <cstdint>

namespace kestrune {

class NodeHost;
class ObjectRegistry;
class ScanTask;
class TagDatabase;
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
    ScanTask* task = nullptr;
    OutputRegistry* outputRegistry = nullptr;
    UserInterface* ui = nullptr;
    bool live = false;
    NodeHost* host = nullptr;
    TagDatabase* tags = nullptr;
};

}  // namespace kestrune
