#pragma once
// What a node asks of whatever holds it: a task designer view, a display
// view, or the headless runtime's task. The same nodes work under each; a
// host answers what it can and leaves the rest to the defaults below.
//
// A host outlives every node created with it (a view destroys its nodes
// before itself).

#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"

namespace kestrune {

class Node;
class NodeGraph;
struct ConnectRequest;

class NodeHost {
  public:
    virtual ~NodeHost() = default;

    // The task's or display's name ("TASK1", "DISP1"): the task part of
    // every tag its nodes publish.
    virtual std::string ownerName() const = 0;
    // The graph that holds the host's nodes; nullptr when they sit in none
    // (a scratch copy). A task's graph also hands out order numbers.
    virtual NodeGraph* ownerGraph() const { return nullptr; }

    // ---- drawing options ----
    // Task view menu "Label": captions under the boxes.
    virtual bool showCaptions() const { return false; }
    // Task view menu "Order Layout": order numbers on the boxes.
    virtual bool showOrderNumbers() const { return false; }
    // Whether printed captions use the node's own font; otherwise a small
    // font made from the device's default.
    virtual bool captionsUseNodeFont() const { return true; }

    // Asks for part of the view to be repainted, erasing it first when `erase`.
    virtual void invalidate(const Rect& area, bool erase) {}

    // Opens the properties dialog of `node`, modal, owned by the view;
    // false when there is none or the user cancelled (the node is left as
    // it was then).
    virtual bool configureNode(Node& node) { return false; }

    // The port list shown while a wire is made: the chosen index goes into
    // request.requestedPort, a cancel writes -1. False when the host has no
    // list of its own; the node then asks through its user interface.
    virtual bool choosePort(std::string_view caption, const std::vector<std::string>& captions,
                            ConnectRequest& request) {
        return false;
    }
};

}  // namespace kestrune
