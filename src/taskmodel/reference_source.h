#pragma once
// Inputs that name their source without a wire: display items, scripts and
// the dynamic inputs of some kinds pick a node and an output in a selection
// dialog. The consumer then registers with the source (AddConsumer), so that
// deleting the source clears the input, and lets go when it changes its mind.

#include <cstddef>
#include <cstdint>

#include "platform/status.h"
#include "taskmodel/data_type.h"

namespace kestrune {

class Node;
class UserInterface;

// Whether a source's type fits a consumer's mask for such a reference: both
// take strings, or both floats, or both integers.
bool ReferenceTypesMatch(DataType consumerMask, DataType sourceType);

// Checks the choice made in a selection dialog. Returns 0 when it stands;
// otherwise the id of the message the user was shown, and the dialog stays
// open: 32984 when nothing is chosen, 34234 when a display item names itself,
// 34243 when a block's type does not fit and the user answers No to going on.
// The type check compares the consumer's first input mask with the block's
// first output type.
Code CheckChosenSource(UserInterface& ui, const Node& consumer, const Node* chosen);

// Points input `inputIndex` of `consumer` at output `outputIndex` of `source`,
// letting go of the previous source first. 6 when there is no such input.
Code BindReference(Node& consumer, std::size_t inputIndex, Node& source, std::uint32_t outputIndex);
// Clears the input and, when no other input of the consumer still names that
// source, leaves the source's consumers.
void ReleaseReference(Node& consumer, std::size_t inputIndex);

}  // namespace kestrune
