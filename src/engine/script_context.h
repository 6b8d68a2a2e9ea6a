#pragma once
// Whose script is running. A prepared script carries the context it was
// prepared for, and the extension functions that a script calls read it: the
// scan task for a pre-task or post-task script, the Basic script block for a
// block script, none (null) for the main script. The engine side never needs
// the concrete task or block class, only this.
//
// Threads: the names are read on the thread that runs the script while the
// owner is not being renamed (renaming happens while stopped); the outputs
// are written on the owning task's scan thread.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/status.h"

namespace kestrune {

// A value a script gives one of a Basic script block's outputs: a 32-bit
// integer, a float, or a text (kept to its first 127 characters).
using ScriptOutputValue = std::variant<std::int32_t, float, std::string>;

// The eight outputs of a Basic script block as the output functions see them.
class ScriptOutputs {
  public:
    static constexpr int kOutputCount = 8;
    virtual ~ScriptOutputs() = default;
    // Output `port` becomes `value` with the value's type. 806 for a port
    // outside 0..7, the output unchanged.
    virtual Code setScriptOutput(int port, const ScriptOutputValue& value) = 0;
};

class ScriptContext {
  public:
    enum class Kind : std::uint8_t { Task, Block };

    virtual ~ScriptContext() = default;
    virtual Kind scriptContextKind() const = 0;
    // The task's name for a task script, the block's name for a block script.
    virtual std::string scriptOwnerName() const = 0;
    // The task the script belongs to: the owner itself for a task script.
    virtual std::string scriptTaskName() const = 0;
    // What the output functions write; none for a task script, whose output
    // calls do nothing.
    virtual ScriptOutputs* scriptOutputs() { return nullptr; }
};

}  // namespace kestrune
