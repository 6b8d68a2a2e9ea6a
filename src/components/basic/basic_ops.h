#pragma once
// The operators on values with the classic rules: the result takes the wider
// of the operand types (Integer, Long, Single, Double), Integer and Long
// results that do not fit are error 6, "/" and "^" give a Double, "\" and Mod
// round their operands to whole numbers first, And/Or/Xor/Eqv/Imp/Not are
// bitwise (Boolean on two Booleans), comparisons give a Boolean.

#include <string_view>

#include "components/basic/basic_module.h"
#include "components/basic/basic_value.h"

namespace kestrune {

// `op` is one of the binary operators of BasicOp (Add .. Like).
BasicValue basicBinary(BasicOp op, const BasicValue& a, const BasicValue& b);
BasicValue basicNegate(const BasicValue& v);
BasicValue basicNot(const BasicValue& v);
// -1, 0, 1: a below, equal to, above b (numbers as numbers, text by bytes).
int basicCompare(const BasicValue& a, const BasicValue& b);
bool basicLike(std::string_view text, std::string_view pattern);

}  // namespace kestrune
