#pragma once
// Nodes and the wires between them, in drawing order (last is topmost),
// owned here: the model under a task designer and, with display items as
// its nodes, under a display designer. It makes a wire from a request,
// removes a wire, and deletes a node with its wires; the designers add the
// mouse, the selection and the drawing, the strategy loader fills it from a
// file. A task's graph adds execution-order numbering (TaskGraph).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/geometry.h"
#include "platform/status.h"
#include "taskmodel/connect_request.h"
#include "taskmodel/cursor_list.h"
#include "taskmodel/graph_object.h"

namespace kestrune {

class Node;
class ObjectRegistry;
class TaskGraph;
class UserInterface;
class Wire;

enum class ConnectStage { Source, Target, Order, Done };

struct ConnectOutcome {
    ConnectStage stage = ConnectStage::Done;
    // The ConnectFrom or ConnectTo result, or the loop message id when the
    // order rule refused; 0 when the wire was made.
    Code code = kOk;
    // What to show the user; 0 for nothing (accepted, or the user cancelled).
    int messageId = 0;
    Wire* wire = nullptr;
    // Nodes whose order number changed.
    std::vector<Node*> renumbered;

    bool accepted() const { return wire != nullptr; }
};

// Shows the outcome's message, if any, in the program's message box.
void ReportConnectOutcome(UserInterface& ui, const ConnectOutcome& outcome);

class NodeGraph {
  public:
    explicit NodeGraph(ObjectRegistry& registry) : registry_(registry) {}
    // DestroyObjects.
    virtual ~NodeGraph();
    NodeGraph(const NodeGraph&) = delete;
    NodeGraph& operator=(const NodeGraph&) = delete;

    virtual TaskGraph* asTaskGraph() { return nullptr; }

    ObjectRegistry& registry() const { return registry_; }
    CursorList<GraphObject>& objects() { return objects_; }
    const CursorList<GraphObject>& objects() const { return objects_; }

    // Takes the object (a node, or a loaded wire) to the end of the list.
    // Returns the list's code (62 when memory ran out; the object is then destroyed).
    Code Append(std::unique_ptr<GraphObject> object);
    // The object's list entry is dropped and the object handed back to the caller.
    std::unique_ptr<GraphObject> Release(GraphObject& object);

    // The whole gesture with ports already chosen: the source's ConnectFrom
    // with `outputIndex`, the target's ConnectTo with `inputIndex`, then
    // CreateWire. A target that is the source ends it like a cancel.
    ConnectOutcome Connect(Node& source, std::int32_t outputIndex, Node& target, std::int32_t inputIndex,
                           std::span<const Point> points = {});
    // Makes the wire of a request both ends accepted: asks the graph's order
    // rule and, when it refuses, clears the target input again and makes
    // nothing; otherwise tells both nodes, attaches the wire and appends it.
    ConnectOutcome CreateWire(const ConnectRequest& request, std::span<const Point> points = {});

    // Empties the list and destroys every wire first, then the other objects
    // in list order (those only when the list owns its items).
    void DestroyObjects();
    // Takes the wire out of the list, disconnects both ends and destroys it.
    void RemoveWire(Wire& wire);
    // Removes the node's wires, takes it out of the list and destroys it.
    // False (and nothing done) when the node is not in this graph.
    bool DeleteNode(Node& node);

    std::vector<Node*> nodes() const;
    std::vector<Wire*> wires() const;

  protected:
    // The order rule for a new wire from `source` to `target`: false refuses
    // it; nodes whose order number changed go into `renumbered`. A plain
    // graph has no order and takes every wire.
    virtual bool orderNewWire(Node& source, Node& target, std::vector<Node*>& renumbered) { return true; }
    // `node` has left the list and is about to be destroyed.
    virtual void nodeRemoved(const Node& node) {}

  private:
    ObjectRegistry& registry_;
    CursorList<GraphObject> objects_{true};
};

}  // namespace kestrune
