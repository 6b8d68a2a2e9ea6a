#pragma once
// The values that pass between scripts and the extension functions, in the
// types of the engine's type system: Integer (16-bit), Long (32-bit),
// Single, Double, String, and Object (a handle the host chose; 0 is the
// null object). An empty value is a Variant that holds nothing.

#include <cstdint>
#include <string>
#include <variant>

namespace kestrune {

struct ScriptObject {
    std::uint32_t handle = 0;
    friend bool operator==(ScriptObject, ScriptObject) = default;
};

using ScriptValue = std::variant<std::monostate, std::int16_t, std::int32_t, float, double, std::string, ScriptObject>;

// The engine's numeric codes of the declared types.
enum class ScriptType : std::uint8_t {
    Integer = 2,
    Long = 3,
    Single = 4,
    String = 8,
    Variant = 12,
    Object = 13,
};

}  // namespace kestrune
