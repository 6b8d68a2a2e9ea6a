#pragma once
// Text forms of setting values, shared by the property dialogs, the strategy
// tool's JSON and error messages. Parsers are strict: surrounding blanks are
// allowed, anything else that is not part of the value makes them fail.
//
//   integer  "-12", "+7"
//   number   "0.5", "-1e3" (never "nan" or "inf"); written in the shortest
//            form that reads back to the same float or double
//   bool     "true"/"false"; also reads 1/0, yes/no, on/off in any case
//   colour   "#RRGGBB"; also reads the stored 0x00BBGGRR value in decimal or "0x" hex
//   font     "default" for the all-zero font, otherwise "key=value" pairs
//            separated by ';' for every non-zero field, in record order, with
//            the face last ("height=-13;weight=700;face=Helv"); the face runs
//            to the end of the text, so it may hold ';'

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas_types.h"
#include "platform/log_font.h"

namespace kestrune::propertytext {

std::string_view trim(std::string_view s);

std::optional<std::int64_t> parseInt(std::string_view text);
std::optional<double> parseNumber(std::string_view text);
std::optional<bool> parseBool(std::string_view text);
std::optional<Rgb> parseColour(std::string_view text);
std::optional<LogFont> parseFont(std::string_view text);

std::string formatInt(std::int64_t v);
// Shortest text that reads back to the same value, as a float when
// `singlePrecision` (the value came from a 32-bit field).
std::string formatNumber(double v, bool singlePrecision);
std::string formatBool(bool v);
std::string formatColour(Rgb c);
std::string formatFont(const LogFont& f);

}  // namespace kestrune::propertytext
