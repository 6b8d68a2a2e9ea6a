#include "blocks/io/digital_port.h"

#include "taskmodel/node.h"

namespace kestrune {

std::vector<OutputPort> portOutputs() {
    return std::vector<OutputPort>(kPortOutputs, OutputPort{kTypeInteger, 0});
}

std::vector<std::string> portOutputCaptions() {
    std::vector<std::string> captions{"All Channels"};
    for (std::size_t k = 0; k < kPortChannels; ++k) captions.push_back("Channel " + std::to_string(k));
    return captions;
}

void showPortValue(Node& node, std::int32_t value, OutputValue* array) {
    for (std::size_t i = 0; i < kPortOutputs; ++i) {
        const std::int32_t v = i == 0 ? value : channelBit(value, i - 1);
        if (OutputValue* out = node.outputValue(i)) out->setInteger(v);
        if (array != nullptr) array->setInteger(v, i);
    }
}

}  // namespace kestrune
