#include "blocks/io/opc_value.h"

#include <string>

namespace kestrune {

float analogFromVariant(const Variant& value) {
    switch (value.type()) {
        case VarType::I2:
            return static_cast<float>(*value.get<std::int16_t>());
        case VarType::I4:
            return static_cast<float>(*value.get<std::int32_t>());
        case VarType::R8:
            return static_cast<float>(*value.get<double>());
        case VarType::UI2:
            return static_cast<float>(*value.get<std::uint16_t>());
        case VarType::UI4:
            return static_cast<float>(*value.get<std::uint32_t>());
        case VarType::R4:
            return *value.get<float>();
        default:
            return value.toFloat();
    }
}

std::int32_t integerFromVariant(const Variant& value) {
    return value.toInt32();
}

Variant integerAsVariant(VarType type, std::int32_t value) {
    switch (type) {
        case VarType::I2:
            return static_cast<std::int16_t>(value);
        case VarType::Bool:
            return value != 0;
        case VarType::R4:
            return static_cast<float>(value);
        case VarType::R8:
            return static_cast<double>(value);
        case VarType::UI2:
            return static_cast<std::uint16_t>(value);
        case VarType::UI4:
            return static_cast<std::uint32_t>(value);
        case VarType::BStr:
            return std::to_string(value);
        default:
            return value;
    }
}

}  // namespace kestrune
