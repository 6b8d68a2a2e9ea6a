#pragma once
// JSON text for people: objects one member a line, indented by two, but
// arrays of plain values (a box, a point) and arrays of such arrays (a
// wire's points) on one line, so that a dump reads like the strategy.

#include <string>
#include <vector>

#include "cli/ksv/json_input.h"

namespace kestrune::ksv {

// Texts that are not UTF-8 (strategies written elsewhere may hold other
// encodings) are shown with U+FFFD in place of each byte that does not fit.
std::string formatJson(const Json& value);

// The paths of the texts formatJson cannot show as they are.
std::vector<std::string> textsNotUtf8(const Json& value);

}  // namespace kestrune::ksv
