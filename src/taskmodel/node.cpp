#include "taskmodel/node.h"

#include <algorithm>
#include <string>

#include "properties/property_table.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/port_choice.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

constexpr std::size_t kMaxPorts = 0xFFFF;

Status cutShort(const BinaryReader& in, std::string_view what) {
    return {kRecordLoadError, std::string(what) + " cut short at byte " + std::to_string(in.position())};
}

}  // namespace

Node::Node(const NodeContext& context, std::int16_t kind, FourCC fileTag)
    : GraphObject(context.registry, kind, fileTag), context_(context) {
    setOwner(context.task);
}

Node::~Node() {
    if (context_.outputRegistry != nullptr) {
        for (std::uint32_t i = 0; i < outputs_.size(); ++i) context_.outputRegistry->OutputRemoved(id(), i);
    }
    for (const InputPort& port : inputs_) {
        if (!port.isConnected()) continue;
        if (Node* source = registry().FindNode(port.sourceId)) source->RemoveConsumer(id());
    }
    for (const std::uint32_t consumerId : consumers_) {
        Node* consumer = registry().FindNode(consumerId);
        if (consumer == nullptr) continue;
        for (InputPort& port : consumer->inputs_) {
            if (port.sourceId == id()) port.disconnect();
        }
    }
    detachWires();
}

void Node::detachWires() {
    for (Wire* wire : incoming_) wire->forgetNode(*this);
    for (Wire* wire : outgoing_) wire->forgetNode(*this);
    incoming_.Clear();
    outgoing_.Clear();
}

void Node::setName(std::string_view name) {
    name_ = std::string(name.substr(0, kMaxNameLength));
}

void Node::setInputPorts(std::vector<InputPort> ports) {
    if (ports.size() > kMaxPorts) ports.resize(kMaxPorts);
    inputs_ = std::move(ports);
}

void Node::setOutputPorts(std::vector<OutputPort> ports) {
    if (ports.size() > kMaxPorts) ports.resize(kMaxPorts);
    outputs_ = std::move(ports);
}

void Node::createOutputValues() {
    values_.clear();
    for (const OutputPort& port : outputs_) values_.push_back(std::make_unique<OutputValue>(port.dataType));
}

Code Node::ConnectFrom(ConnectRequest& request) {
    if (request.requestedPort < 0) return kConnectCancelled;
    const auto index = static_cast<std::size_t>(request.requestedPort);
    if (index >= outputs_.size()) return outputs_.empty() ? kConnectNoOutputs : kConnectBadPort;
    request.targetId = 0;
    request.targetInput = 0;
    request.target = nullptr;
    request.sourceId = id();
    request.source = this;
    request.sourceOutput = static_cast<std::uint32_t>(index);
    request.dataType = outputs_[index].dataType;
    return kConnectAccepted;
}

Code Node::ConnectTo(ConnectRequest& request) {
    if (request.requestedPort < 0) return kConnectCancelled;
    const auto index = static_cast<std::size_t>(request.requestedPort);
    if (index >= inputs_.size()) return inputs_.empty() ? kConnectNoInputs : kConnectBadPort;
    InputPort& port = inputs_[index];
    if (port.isConnected()) return kConnectInputInUse;
    if (!acceptsType(port.acceptedMask, request.dataType)) return kConnectTypeMismatch;
    request.targetId = id();
    request.targetInput = static_cast<std::uint32_t>(index);
    request.target = this;
    port.sourceOutput = request.sourceOutput;
    port.sourceId = request.sourceId;
    return kConnectAccepted;
}

void Node::DisconnectInput(Wire& wire) {
    if (InputPort* port = input(wire.targetInput())) port->disconnect();
}

void Node::AddConsumer(std::uint32_t consumerId) {
    consumers_.push_back(consumerId);
}

void Node::RemoveConsumer(std::uint32_t consumerId) {
    std::erase(consumers_, consumerId);
}

void Node::Dump(std::string& out) const {
    out += "Node:" + std::to_string(id()) + " Type=" + std::to_string(kind()) + ", In:";
    for (const Wire* wire : incoming_) {
        if (wire->source() != nullptr) out += std::to_string(wire->source()->id()) + " ";
    }
    out += "Out:";
    for (const Wire* wire : outgoing_) {
        if (wire->target() != nullptr) out += std::to_string(wire->target()->id()) + " ";
    }
    out += "\r\n";
}

Code Node::Start() {
    gate_.open();
    return kOk;
}

Code Node::Scan() {
    return kOk;
}

Code Node::Stop() {
    gate_.close();
    return kOk;
}

void Node::Configure() {
    if (context_.host != nullptr) context_.host->configureNode(*this);
}

PropertySet Node::properties() {
    static const PropertyTable<Node> none;
    return none.bind(*this);
}

void Node::choosePort(ConnectRequest& request, std::string_view caption,
                      const std::vector<std::string>& captions) const {
    if (context_.host != nullptr && context_.host->choosePort(caption, captions, request)) return;
    if (context_.ui != nullptr) AskForPort(*context_.ui, caption, captions, request);
}

void Node::chooseOutputPort(ConnectRequest& request, std::string_view caption) const {
    choosePort(request, caption, OutputCaptions(*this));
}

void Node::chooseInputPort(ConnectRequest& request, std::string_view caption) const {
    choosePort(request, caption, InputCaptions(*this));
}

// ---- record ----

Status Node::Save(BinaryWriter& out) const {
    if (Status s = GraphObject::Save(out); !s) return s;
    out.u32(static_cast<std::uint32_t>(inputs_.size()));
    for (const InputPort& port : inputs_) {
        out.u32(port.sourceId);
        out.u32(port.sourceOutput);
        out.u16(port.acceptedMask);
    }
    out.u32(static_cast<std::uint32_t>(outputs_.size()));
    for (const OutputPort& port : outputs_) out.u16(port.dataType);
    out.u32(order_);
    out.u32(static_cast<std::uint32_t>(consumers_.size()));
    for (const std::uint32_t consumerId : consumers_) out.u32(consumerId);
    return {};
}

Status Node::Load(BinaryReader& in, int fileVersion) {
    if (Status s = GraphObject::Load(in, fileVersion); !s) return s;
    if (fileVersion >= 2) {
        if (Status s = loadPorts(in); !s) return s;
    }
    if (fileVersion >= 3) {
        order_ = in.u32();
        if (in.failed()) return cutShort(in, "order number");
    }
    if (fileVersion >= 4) return loadConsumers(in);
    return {};
}

// A stored table longer than the constructor's replaces its length; a shorter
// one overwrites the leading entries and keeps the rest as constructed. Counts
// are checked against the bytes left before anything is allocated.
Status Node::loadPorts(BinaryReader& in) {
    constexpr std::size_t kInputBytes = 10;
    constexpr std::size_t kOutputBytes = 2;
    const std::uint32_t inputCount = in.u32();
    if (in.failed()) return cutShort(in, "input count");
    if (inputCount > kMaxPorts || inputCount * kInputBytes > in.remaining()) {
        return cutShort(in, std::to_string(inputCount) + " inputs");
    }
    if (inputCount > inputs_.size()) inputs_.resize(inputCount);
    for (std::uint32_t i = 0; i < inputCount; ++i) {
        inputs_[i].sourceId = in.u32();
        inputs_[i].sourceOutput = in.u32();
        inputs_[i].acceptedMask = in.u16();
    }
    const std::uint32_t outputCount = in.u32();
    if (in.failed()) return cutShort(in, "output count");
    if (outputCount > kMaxPorts || outputCount * kOutputBytes > in.remaining()) {
        return cutShort(in, std::to_string(outputCount) + " outputs");
    }
    if (outputCount > outputs_.size()) outputs_.resize(outputCount);
    for (std::uint32_t i = 0; i < outputCount; ++i) outputs_[i].dataType = in.u16();
    // Kinds that keep values keep one per output, also for outputs a file added.
    if (!values_.empty()) {
        for (std::size_t i = values_.size(); i < outputs_.size(); ++i) {
            values_.push_back(std::make_unique<OutputValue>(outputs_[i].dataType));
        }
    }
    return {};
}

Status Node::loadConsumers(BinaryReader& in) {
    const std::uint32_t count = in.u32();
    if (in.failed()) return cutShort(in, "consumer count");
    if (static_cast<std::size_t>(count) * 4 > in.remaining()) {
        return cutShort(in, std::to_string(count) + " consumers");
    }
    consumers_.clear();
    consumers_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) consumers_.push_back(in.u32());
    return {};
}

}  // namespace kestrune
