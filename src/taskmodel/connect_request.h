#pragma once
// What the task designer hands to a node while a wire is being made, and the
// results the nodes answer with. The designer turns the results into the
// messages of MessageAfterConnectFrom / MessageAfterConnectTo.

#include <cstdint>

#include "platform/status.h"
#include "taskmodel/data_type.h"

namespace kestrune {

class Node;

struct ConnectRequest {
    std::uint32_t sourceId = 0;
    std::uint32_t sourceOutput = 0;
    Node* source = nullptr;
    DataType dataType = 0;  // of the chosen output port
    std::uint32_t targetId = 0;
    std::uint32_t targetInput = 0;
    Node* target = nullptr;
    // The output index while the source is asked, the input index while the
    // target is asked; negative when the user cancelled the port choice.
    std::int32_t requestedPort = 0;
};

inline constexpr Code kConnectAccepted = 0;
inline constexpr Code kConnectNoOutputs = 2;
inline constexpr Code kConnectNoInputs = 3;
inline constexpr Code kConnectCancelled = 4;
inline constexpr Code kConnectBadPort = 6;
inline constexpr Code kConnectTypeMismatch = 7;
inline constexpr Code kConnectInputInUse = 8;
inline constexpr Code kConnectNoOutputAvailable = 9;
inline constexpr Code kConnectOutOfMemory = 10;
inline constexpr Code kConnectExisting = 11;

// The message id to show after the source's ConnectFrom gave `code`; 0 for none.
int MessageAfterConnectFrom(Code code);
// The message id to show after the target's ConnectTo gave `code`; 0 for none.
int MessageAfterConnectTo(Code code);

}  // namespace kestrune
