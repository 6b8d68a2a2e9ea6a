#pragma once
// The classic conversions between values: banker's rounding to the integer
// types with error 6 when out of range, numbers from text, and the text of
// numbers (15 significant digits for Double, 7 for Single).

#include <cstdint>
#include <string>
#include <string_view>

#include "components/basic/basic_value.h"

namespace kestrune {

double basicToDouble(const BasicValue& v);
std::int32_t basicToLong(const BasicValue& v);
std::int16_t basicToInteger(const BasicValue& v);
float basicToSingle(const BasicValue& v);
bool basicToBool(const BasicValue& v);
std::string basicToString(const BasicValue& v);

// The value converted for a variable declared `type` (Variant keeps it).
BasicValue basicCoerce(const BasicValue& v, BasicType type);

// Rounds half to even, then checks the range; error 6 outside it.
std::int32_t basicRoundToLong(double d);
std::int16_t basicRoundToInteger(double d);

// The whole text as a number (spaces around allowed, &H and &O forms); false
// when it is not one.
bool basicParseNumber(std::string_view text, double& out);
// Val: the number at the start of the text, 0 when there is none.
double basicVal(std::string_view text);

std::string basicFormatDouble(double d, int significantDigits);

}  // namespace kestrune
