#pragma once
// The port list a node with several ports shows while a wire is made, and the
// captions it lists.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

class Node;
class UserInterface;
struct ConnectRequest;

// The text of a port's name id, or "Channel <index>" when the id is 0 or has no text.
std::string PortCaption(std::int32_t nameId, std::size_t index);
std::vector<std::string> InputCaptions(const Node& node);
std::vector<std::string> OutputCaptions(const Node& node);

// The name ids of the node's outputs, in order, followed by a 0.
std::vector<std::int32_t> OutputCaptionIds(const Node& node);

// Shows the list titled `caption`: the chosen index goes into
// request.requestedPort, a cancel writes -1.
void AskForPort(UserInterface& ui, std::string_view caption, const std::vector<std::string>& captions,
                ConnectRequest& request);

}  // namespace kestrune
