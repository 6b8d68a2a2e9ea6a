#pragma once
// Conversions between the three value types. Every consumer reads its
// sources through these, so a block wired to an output of another type sees
// the same number everywhere.
//
// Text is read like the C conversions read it (leading blanks skipped, an
// optional sign, digits up to the first other character), always in the "C"
// locale whatever the program's locale is, after one repair: a sign that
// stands apart from its digits ("-  12") has the blanks between turned into
// zeros, so the sign is not lost. Only the first 128 characters count.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "taskmodel/data_type.h"

namespace kestrune {

class Node;
class OutputValue;

std::int32_t ParseInteger(std::string_view text);
float ParseFloat(std::string_view text);
// "%ld" and "%f".
std::string FormatInteger(std::int32_t value);
std::string FormatFloat(float value);
// Truncates towards zero; values beyond the 32-bit range saturate and NaN gives 0.
std::int32_t FloatToInteger(float value);

// Reads element `element` of `value` as `wanted` (1 integer, 2 float, 4 string):
// the integer lands in the node's scratch integer, the float in its scratch
// float, the text in `buffer` (cut to fit, at most 127 characters, always
// terminated). Returns false, touching nothing, for any other wanted type.
bool ConvertValue(Node& node, DataType wanted, const OutputValue& value, std::span<char> buffer,
                  std::size_t element = 0);

}  // namespace kestrune
