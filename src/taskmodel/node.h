#pragma once
// A node of a task's data flow: the common base of blocks and display items.
// It owns a table of typed inputs, a table of typed outputs with their current
// values, the ids of the nodes that read it without a wire (consumers), the
// lists of wires that end and start at it, an execution order number and the
// run gate that scan threads pass while the node runs.
//
// The virtual operations come in a fixed order that blocks and display items
// extend; the ones without a base behaviour are abstract. Thread ownership:
// the user-interface thread builds and edits the graph (ports, wires,
// consumers, order); while the node runs its scan thread writes the output
// values and other threads reach the node only through the run gate.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"
#include "properties/property_set.h"
#include "taskmodel/connect_request.h"
#include "taskmodel/cursor_list.h"
#include "taskmodel/graph_object.h"
#include "taskmodel/node_context.h"
#include "taskmodel/node_host.h"
#include "taskmodel/output_value.h"
#include "taskmodel/ports.h"
#include "taskmodel/resize_tracker.h"
#include "taskmodel/run_gate.h"

namespace kestrune {

class Wire;

class Node : public GraphObject {
  public:
    static constexpr std::size_t kMaxNameLength = 9;

    Node(const NodeContext& context, std::int16_t kind, FourCC fileTag = {});
    // Tells the output registry about every output, lets go of the sources it
    // reads from, clears the inputs of its consumers that name it, detaches
    // the wires still listed, and leaves the registry.
    ~Node() override;

    Node* asNode() override { return this; }
    const Node* asNode() const override { return this; }

    // ---- virtual operations, in their fixed order ----
    // The node part of a record: the root part, then (file version 2 on) the
    // port tables, (3 on) the order number, (4 on) the consumers.
    Status Load(BinaryReader& in, int fileVersion) override;
    Status Save(BinaryWriter& out) const override;
    void CopyTo(GraphObject& other) const override {}
    // Draw(dc) and Invalidate(dc) stay abstract.
    virtual void Refresh(Canvas& dc) {}
    virtual void DrawHandles(Canvas& dc) = 0;
    virtual void InvalidateArea(Canvas& dc) = 0;
    virtual void DrawFrame(Canvas& dc) {}
    virtual void MoveTo(const Rect& rect) = 0;
    virtual void EndMove(Canvas& dc) = 0;
    // Stores the hit code (hitCode()) and returns 1 for any hit, 0 for none.
    virtual int HitTest(int x, int y) = 0;
    virtual void ExtendBounds(Rect& bounds) const = 0;
    virtual bool Intersects(const Rect& rect) const = 0;
    virtual bool IsInside(const Rect& rect) const = 0;
    virtual void TrackRect(ResizeTracker& out) const = 0;
    virtual void ApplyTrack(const ResizeTracker& tracker, Canvas& dc) {}
    // The properties dialog, through the host; kinds add what follows it.
    virtual void Configure();
    // 0 when the node can run; otherwise the message id of the reason.
    virtual Code Validate() = 0;
    virtual std::string_view Name() const { return name_; }
    virtual std::string_view Caption() const { return {}; }
    // Output side of a new wire: checks request.requestedPort against the
    // outputs and fills the source fields (see connect_request.h for codes).
    virtual Code ConnectFrom(ConnectRequest& request);
    // Input side: checks the input and the type, fills the target fields and
    // records the source in the input port.
    virtual Code ConnectTo(ConnectRequest& request);
    virtual void InputWireAdded(Wire& wire) {}
    virtual void OutputWireAdded(Wire& wire) {}
    // Clears the input the wire ends at; an index beyond the table is ignored.
    virtual void DisconnectInput(Wire& wire);
    virtual void DisconnectOutput(Wire& wire) {}
    virtual void DrawOrder(Canvas& dc) {}
    // A node that reads this one without a wire registers here.
    virtual void AddConsumer(std::uint32_t id);
    // Removes every occurrence of id.
    virtual void RemoveConsumer(std::uint32_t id);
    // "Node:<id> Type=<kind>, In:<sources> Out:<targets>\r\n" for diagnostics.
    virtual void Dump(std::string& out) const;
    // The base only sets the running flag; kinds resolve their sources first.
    virtual Code Start();
    // The base has nothing to compute.
    virtual Code Scan();
    // Waits until no other thread is inside the run gate (20 ms polls), then
    // clears the running flag; 0.
    virtual Code Stop();

    // The node's settings as data, for the generic properties dialog and the
    // strategy tool. The base has none; kinds return their own table.
    virtual PropertySet properties();

    // ---- data ----
    const NodeContext& context() const { return context_; }
    bool isLive() const { return context_.live; }
    NodeHost* host() const { return context_.host; }

    void setName(std::string_view name);
    const std::string& name() const { return name_; }

    std::uint32_t order() const { return order_; }
    void setOrder(std::uint32_t order) { order_ = order; }

    std::span<InputPort> inputs() { return inputs_; }
    std::span<const InputPort> inputs() const { return inputs_; }
    std::uint16_t inputCount() const { return static_cast<std::uint16_t>(inputs_.size()); }
    // nullptr beyond the table.
    InputPort* input(std::size_t index) { return index < inputs_.size() ? &inputs_[index] : nullptr; }
    const InputPort* input(std::size_t index) const {
        return index < inputs_.size() ? &inputs_[index] : nullptr;
    }
    // A table longer than 65535 entries is cut there.
    void setInputPorts(std::vector<InputPort> ports);

    std::span<OutputPort> outputs() { return outputs_; }
    std::span<const OutputPort> outputs() const { return outputs_; }
    std::uint16_t outputCount() const { return static_cast<std::uint16_t>(outputs_.size()); }
    const OutputPort* output(std::size_t index) const {
        return index < outputs_.size() ? &outputs_[index] : nullptr;
    }
    void setOutputPorts(std::vector<OutputPort> ports);

    // One value per output, typed like its port with one element; kinds reset
    // the ones that carry arrays or a narrower type.
    void createOutputValues();
    // nullptr when the node has no value for that output.
    OutputValue* outputValue(std::size_t index) const {
        return index < values_.size() ? values_[index].get() : nullptr;
    }

    const std::vector<std::uint32_t>& consumers() const { return consumers_; }

    CursorList<Wire>& incomingWires() { return incoming_; }
    const CursorList<Wire>& incomingWires() const { return incoming_; }
    CursorList<Wire>& outgoingWires() { return outgoing_; }
    const CursorList<Wire>& outgoingWires() const { return outgoing_; }

    RunGate& runGate() { return gate_; }
    bool isRunning() const { return gate_.isRunning(); }

    std::int32_t scratchInteger() const { return scratchInteger_; }
    float scratchFloat() const { return scratchFloat_; }
    void setScratchInteger(std::int32_t v) { scratchInteger_ = v; }
    void setScratchFloat(float v) { scratchFloat_ = v; }

  protected:
    // The port list shown before ConnectFrom / ConnectTo of kinds with several
    // ports: writes the chosen index, or -1 when the user cancels, into
    // request.requestedPort. The host shows it, or else the user interface;
    // without either the request is left as the designer filled it.
    void choosePort(ConnectRequest& request, std::string_view caption,
                    const std::vector<std::string>& captions) const;
    void chooseOutputPort(ConnectRequest& request, std::string_view caption) const;
    void chooseInputPort(ConnectRequest& request, std::string_view caption) const;

  private:
    Status loadPorts(BinaryReader& in);
    Status loadConsumers(BinaryReader& in);
    void detachWires();

    NodeContext context_;
    CursorList<Wire> incoming_;
    CursorList<Wire> outgoing_;
    std::vector<InputPort> inputs_;
    std::vector<OutputPort> outputs_;
    RunGate gate_;
    float scratchFloat_ = 0.0f;
    std::int32_t scratchInteger_ = 0;
    std::vector<std::unique_ptr<OutputValue>> values_;
    std::string name_;
    std::uint32_t order_ = 0;
    std::vector<std::uint32_t> consumers_;
};

}  // namespace kestrune
