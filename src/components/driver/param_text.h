#pragma once
// The small value syntax of the device list: a leading word followed by
// key=value pairs separated by blanks ("sine amplitude=5 period=10"). Shared by
// the signal descriptions of the simulated boards and of the OPC simulation.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune {

struct ParamText {
    std::string head;  // the leading word; empty when the text starts with a pair
    std::vector<std::pair<std::string, std::string>> pairs;
};

// False with `error` set for a malformed pair or a key given twice.
bool parseParamText(std::string_view text, ParamText& out, std::string& error);

// Whole-string number conversions; false for anything else (including trailing
// characters, NaN and infinities).
bool parseDouble(std::string_view text, double& value);
// Decimal, or hexadecimal with 0x.
bool parseUnsigned(std::string_view text, std::uint64_t& value);
bool parseInteger(std::string_view text, std::int64_t& value);

std::string_view trim(std::string_view text);

}  // namespace kestrune
