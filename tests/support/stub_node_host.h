#pragma once
// The one stand-in host of the tests (a task view, a display view or the
// runtime, as nodes see it): it answers with the settings the test gives
// and records the repaints and dialogs that nodes ask for.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "taskmodel/node_host.h"

namespace kestrune::test_support {

class StubNodeHost : public NodeHost {
  public:
    explicit StubNodeHost(NodeGraph* ownerGraph = nullptr, std::string ownerName = "TASK1")
        : name(std::move(ownerName)), graph(ownerGraph) {}

    std::string ownerName() const override { return name; }
    NodeGraph* ownerGraph() const override { return graph; }
    bool showCaptions() const override { return captions; }
    bool showOrderNumbers() const override { return orderNumbers; }
    bool captionsUseNodeFont() const override { return nodeFont; }
    void invalidate(const Rect& area, bool) override { invalidated.push_back(area); }
    bool configureNode(Node& node) override {
        configured.push_back(&node);
        if (onConfigure) onConfigure(node);
        return dialogAnswer;
    }

    std::string name;
    NodeGraph* graph;
    bool captions = true;
    bool orderNumbers = false;
    bool nodeFont = true;
    bool dialogAnswer = true;  // what the properties dialog answers
    std::function<void(Node&)> onConfigure;
    std::vector<Rect> invalidated;
    std::vector<Node*> configured;
};

}  // namespace kestrune::test_support
