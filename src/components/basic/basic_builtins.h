#pragma once
// The built-in functions: looked up by name at compile time, called by
// number at run time with their arguments on the stack.

#include <cstdint>
#include <string_view>

#include "components/basic/basic_value.h"

namespace kestrune {

struct BasicBuiltinInfo {
    std::string_view name;  // upper case
    int minArgs;
    int maxArgs;
};

// -1 when `upperName` is no built-in.
int basicFindBuiltin(std::string_view upperName);
const BasicBuiltinInfo& basicBuiltinInfo(int id);

// The per-instance state the built-ins keep: the random generator.
struct BasicBuiltinState {
    std::uint32_t seed = 0x50000;
    float last = 0;
    std::uint32_t maxStringLength = 1u << 24;
};

BasicValue basicCallBuiltin(int id, BasicValue* args, int argc, BasicBuiltinState& state);

}  // namespace kestrune
