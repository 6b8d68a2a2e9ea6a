#include "taskmodel/node_graph.h"

#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/node.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/wire.h"

namespace kestrune {

void ReportConnectOutcome(UserInterface& ui, const ConnectOutcome& outcome) {
    if (outcome.messageId != 0) showMessageBox(ui, outcome.messageId);
}

NodeGraph::~NodeGraph() {
    DestroyObjects();
}

void NodeGraph::DestroyObjects() {
    // The list is emptied in one go before anything is destroyed: taking each
    // wire out by itself would walk the list from its head every time, which
    // closing a large task cannot afford.
    std::vector<GraphObject*> wires;
    std::vector<GraphObject*> others;
    for (GraphObject* object : objects_) (object->isWire() ? wires : others).push_back(object);
    const bool owned = objects_.ownsItems();
    objects_.setOwnsItems(false);
    objects_.Clear();
    objects_.setOwnsItems(owned);
    // Wires first, while the nodes they tell are still there.
    for (GraphObject* wire : wires) delete wire;
    if (!owned) return;
    for (GraphObject* object : others) delete object;
}

Code NodeGraph::Append(std::unique_ptr<GraphObject> object) {
    const Code code = objects_.AddTail(object.get());
    if (code == kOk) object.release();
    return code;
}

std::unique_ptr<GraphObject> NodeGraph::Release(GraphObject& object) {
    return std::unique_ptr<GraphObject>(objects_.Remove(&object));
}

ConnectOutcome NodeGraph::Connect(Node& source, std::int32_t outputIndex, Node& target,
                                  std::int32_t inputIndex, std::span<const Point> points) {
    ConnectRequest request;
    request.requestedPort = outputIndex;
    if (const Code code = source.ConnectFrom(request); code != kConnectAccepted) {
        return {ConnectStage::Source, code, MessageAfterConnectFrom(code), nullptr, {}};
    }
    if (&target == &source) return {ConnectStage::Target, kConnectCancelled, 0, nullptr, {}};
    request.requestedPort = inputIndex;
    if (const Code code = target.ConnectTo(request); code != kConnectAccepted) {
        return {ConnectStage::Target, code, MessageAfterConnectTo(code), nullptr, {}};
    }
    return CreateWire(request, points);
}

ConnectOutcome NodeGraph::CreateWire(const ConnectRequest& request, std::span<const Point> points) {
    if (request.source == nullptr || request.target == nullptr) {
        return {ConnectStage::Order, kConnectBadPort, kMsgInvalidConnection, nullptr, {}};
    }
    Node& source = *request.source;
    Node& target = *request.target;
    auto clearInput = [&] {
        if (InputPort* port = target.input(request.targetInput)) port->disconnect();
    };

    auto wire = std::make_unique<Wire>(registry_, request);
    wire->setPoints(points);
    std::vector<Node*> renumbered;
    if (!orderNewWire(source, target, renumbered)) {
        clearInput();
        return {ConnectStage::Order, kMsgLoopRefused, kMsgLoopRefused, nullptr, {}};
    }
    Wire* made = wire.get();
    if (objects_.AddTail(made) != kOk) {
        clearInput();
        return {ConnectStage::Order, kConnectOutOfMemory, kMsgOutOfMemory, nullptr, {}};
    }
    wire.release();
    source.OutputWireAdded(*made);
    target.InputWireAdded(*made);
    made->attach();
    registry_.setModified(true);
    return {ConnectStage::Done, kOk, 0, made, std::move(renumbered)};
}

void NodeGraph::RemoveWire(Wire& wire) {
    objects_.Remove(&wire);
    if (Node* source = wire.source()) {
        source->DisconnectOutput(wire);
        source->outgoingWires().Remove(&wire);
    }
    if (Node* target = wire.target()) {
        target->DisconnectInput(wire);
        target->incomingWires().Remove(&wire);
    }
    delete &wire;
    registry_.setModified(true);
}

bool NodeGraph::DeleteNode(Node& node) {
    if (!objects_.Contains(&node)) return false;
    for (Wire* wire : node.incomingWires().items()) RemoveWire(*wire);
    for (Wire* wire : node.outgoingWires().items()) RemoveWire(*wire);
    objects_.Remove(&node);
    nodeRemoved(node);
    delete &node;
    registry_.setModified(true);
    return true;
}

std::vector<Node*> NodeGraph::nodes() const {
    std::vector<Node*> out;
    for (GraphObject* object : objects_) {
        if (Node* node = object->asNode()) out.push_back(node);
    }
    return out;
}

std::vector<Wire*> NodeGraph::wires() const {
    std::vector<Wire*> out;
    for (GraphObject* object : objects_) {
        if (object->isWire()) out.push_back(static_cast<Wire*>(object));
    }
    return out;
}

}  // namespace kestrune
