#pragma once
// How the I/O blocks turn the Variant of their OPC item into their own values
// and back.

#include <cstdint>

#include "components/opc/variant.h"

namespace kestrune {

// The analog input's reading: 16- and 32-bit integers signed or unsigned by
// their type, a double narrowed to float, a float as it is. Other types (a
// boolean, a text) convert as the Variant converts them, never as raw bytes.
float analogFromVariant(const Variant& value);

// The digital blocks' 32-bit integer (truncated toward zero, saturated).
std::int32_t integerFromVariant(const Variant& value);

// `value` in the item's type `type`, for a write: 16-bit integers and
// booleans take 16 bits, 32-bit integers 32, floats and doubles the number,
// a text its decimal digits. An empty type writes a 32-bit integer.
Variant integerAsVariant(VarType type, std::int32_t value);

}  // namespace kestrune
