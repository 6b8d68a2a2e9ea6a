#include "blocks/control/control_block.h"

#include <vector>

#include "taskmodel/object_registry.h"

namespace kestrune {

ControlBlock::ControlBlock(const NodeContext& context, std::int16_t kind,
                           std::span<const ControlInput> inputs, DataType outputType)
    : Block(context, kind), inputSpecs_(inputs) {
    std::vector<InputPort> ports;
    ports.reserve(inputs.size());
    for (const ControlInput& in : inputs) ports.push_back({0, 0, in.mask, 0});
    setInputPorts(std::move(ports));
    setOutputPorts({{outputType, 0}});
    createOutputValues();
}

std::string_view ControlBlock::inputCaption(std::size_t input) const {
    return input < inputSpecs_.size() ? inputSpecs_[input].caption : std::string_view();
}

bool ControlBlock::isWired(std::size_t input) const {
    const InputPort* port = this->input(input);
    return port != nullptr && port->isConnected();
}

std::string ControlBlock::sourceName(std::size_t input) const {
    if (!isWired(input)) return {};
    const Node* source = registry().FindNode(this->input(input)->sourceId);
    return source != nullptr ? std::string(source->Name()) : std::string();
}

Code ControlBlock::ConnectTo(ConnectRequest& request) {
    std::vector<std::string> captions;
    captions.reserve(inputSpecs_.size());
    for (const ControlInput& in : inputSpecs_) captions.emplace_back(in.caption);
    choosePort(request, kConnectCaption, captions);
    return Block::ConnectTo(request);
}

}  // namespace kestrune
