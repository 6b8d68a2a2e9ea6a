#include "taskmodel/port_choice.h"

#include "platform/user_interface.h"
#include "resources/string_table.h"
#include "taskmodel/node.h"

namespace kestrune {

std::string PortCaption(std::int32_t nameId, std::size_t index) {
    if (nameId != 0) {
        if (auto text = strings::lookup(nameId)) return std::string(*text);
    }
    return "Channel " + std::to_string(index);
}

std::vector<std::string> InputCaptions(const Node& node) {
    std::vector<std::string> out;
    const auto ports = node.inputs();
    for (std::size_t i = 0; i < ports.size(); ++i) out.push_back(PortCaption(ports[i].nameId, i));
    return out;
}

std::vector<std::string> OutputCaptions(const Node& node) {
    std::vector<std::string> out;
    const auto ports = node.outputs();
    for (std::size_t i = 0; i < ports.size(); ++i) out.push_back(PortCaption(ports[i].nameId, i));
    return out;
}

std::vector<std::int32_t> OutputCaptionIds(const Node& node) {
    std::vector<std::int32_t> ids;
    ids.reserve(node.outputCount() + 1u);
    for (const OutputPort& port : node.outputs()) ids.push_back(port.nameId);
    ids.push_back(0);
    return ids;
}

void AskForPort(UserInterface& ui, std::string_view caption, const std::vector<std::string>& captions,
                ConnectRequest& request) {
    const std::optional<int> chosen = ui.chooseFromList(caption, captions);
    request.requestedPort = chosen ? *chosen : -1;
}

}  // namespace kestrune
