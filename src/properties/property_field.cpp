#include "properties/property_field.h"

#include <algorithm>
#include <cmath>

#include "platform/log_font.h"
#include "properties/property_text.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

constexpr Code kNumberOutOfRange = 61453;

namespace pt = propertytext;

std::string quoted(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// The value as text whatever it holds (for messages about a value of the wrong form).
std::string anyToText(const PropertyValue& v) {
    if (const auto* b = std::get_if<bool>(&v)) return pt::formatBool(*b);
    if (const auto* i = std::get_if<std::int64_t>(&v)) return pt::formatInt(*i);
    if (const auto* d = std::get_if<double>(&v)) return pt::formatNumber(*d, false);
    return std::get<std::string>(v);
}

// Puts the two limits where the message has its "%f" markers.
std::string fillLimits(std::string text, const std::string& low, const std::string& high) {
    for (const std::string* v : {&low, &high}) {
        const std::size_t at = text.find("%f");
        if (at == std::string::npos) break;
        text.replace(at, 2, *v);
    }
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lo = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lo(a[i]) != lo(b[i])) return false;
    }
    return true;
}

}  // namespace

const char* toString(PropertyType type) {
    switch (type) {
        case PropertyType::Int:
            return "int";
        case PropertyType::Float:
            return "float";
        case PropertyType::Bool:
            return "bool";
        case PropertyType::Choice:
            return "choice";
        case PropertyType::String:
            return "string";
        case PropertyType::Colour:
            return "colour";
        case PropertyType::Font:
            return "font";
        case PropertyType::FilePath:
            return "file";
        case PropertyType::Device:
            return "device";
        case PropertyType::OpcItem:
            return "opc-item";
    }
    return "?";
}

ValueForm valueForm(PropertyType type) {
    switch (type) {
        case PropertyType::Int:
        case PropertyType::Choice:
        case PropertyType::Colour:
            return ValueForm::Int;
        case PropertyType::Float:
            return ValueForm::Float;
        case PropertyType::Bool:
            return ValueForm::Bool;
        case PropertyType::String:
        case PropertyType::Font:
        case PropertyType::FilePath:
        case PropertyType::Device:
        case PropertyType::OpcItem:
            return ValueForm::Text;
    }
    return ValueForm::Text;
}

std::string PropertyField::caption() const {
    std::string s;
    for (char c : label) {
        if (c != '&') s += c;
    }
    while (!s.empty() && (s.back() == ':' || s.back() == ' ')) s.pop_back();
    return std::string(pt::trim(s));
}

Status PropertyField::invalid(std::string_view detail) const {
    return Status(kMsgInvalidParameters,
                  strings::text(kMsgInvalidParameters) + " : " + caption() + ", " + std::string(detail));
}

Status PropertyField::outOfRange() const {
    if (rangeMessage != 0) return Status(rangeMessage, strings::text(rangeMessage));
    const bool whole = valueForm(type) == ValueForm::Int;
    const std::string low = whole ? pt::formatInt(intMin) : pt::formatNumber(numberMin, singlePrecision);
    const std::string high = whole ? pt::formatInt(intMax) : pt::formatNumber(numberMax, singlePrecision);
    return Status(kNumberOutOfRange,
                  caption() + ": " + fillLimits(strings::text(kNumberOutOfRange), low, high));
}

const PropertyChoice* PropertyField::findChoice(std::int64_t value) const {
    for (const PropertyChoice& c : choices) {
        if (c.value == value) return &c;
    }
    return nullptr;
}

std::string PropertyField::toText(const PropertyValue& value) const {
    switch (type) {
        case PropertyType::Float:
            if (const auto* d = std::get_if<double>(&value)) return pt::formatNumber(*d, singlePrecision);
            break;
        case PropertyType::Choice:
            if (const auto* i = std::get_if<std::int64_t>(&value)) {
                if (const PropertyChoice* c = findChoice(*i)) return c->label;
            }
            break;
        case PropertyType::Colour:
            if (const auto* i = std::get_if<std::int64_t>(&value); i && *i >= 0 && *i <= 0xFFFFFF) {
                return pt::formatColour(static_cast<Rgb>(*i));
            }
            break;
        default:
            break;
    }
    return anyToText(value);
}

Status PropertyField::fromText(std::string_view text, PropertyValue& out) const {
    PropertyValue v;
    switch (type) {
        case PropertyType::Int: {
            const auto i = pt::parseInt(text);
            if (!i) return outOfRange();
            v = *i;
            break;
        }
        case PropertyType::Float: {
            const auto d = pt::parseNumber(text);
            if (!d) return outOfRange();
            v = *d;
            break;
        }
        case PropertyType::Bool: {
            const auto b = pt::parseBool(text);
            if (!b) return invalid(quoted(text) + " is neither true nor false");
            v = *b;
            break;
        }
        case PropertyType::Choice: {
            const std::string_view t = pt::trim(text);
            const auto byLabel = [&](auto same) {
                const auto it = std::find_if(choices.begin(), choices.end(),
                                             [&](const PropertyChoice& c) { return same(c.label, t); });
                return it == choices.end() ? nullptr : &*it;
            };
            // The exact label first, then any case, then the stored number.
            const PropertyChoice* found =
                byLabel([](std::string_view a, std::string_view b) { return a == b; });
            if (!found) found = byLabel(equalsNoCase);
            if (const auto i = pt::parseInt(t); !found && i) found = findChoice(*i);
            if (!found) {
                std::string list;
                for (const PropertyChoice& c : choices) list += (list.empty() ? "" : ", ") + c.label;
                return invalid(quoted(text) + " is not one of: " + list);
            }
            v = found->value;
            break;
        }
        case PropertyType::Colour: {
            const auto c = pt::parseColour(text);
            if (!c) return invalid(quoted(text) + " is not a colour (#RRGGBB)");
            v = static_cast<std::int64_t>(*c);
            break;
        }
        case PropertyType::Font: {
            const auto f = pt::parseFont(text);
            if (!f) return invalid(quoted(text) + " is not a font description");
            v = pt::formatFont(*f);
            break;
        }
        default:
            v = std::string(text);
            break;
    }
    if (Status s = validate(v); !s) return s;
    out = std::move(v);
    return {};
}

Status PropertyField::accept(const PropertyValue& in, PropertyValue& out) const {
    if (const auto* s = std::get_if<std::string>(&in)) return fromText(*s, out);
    PropertyValue v = in;
    const auto* i = std::get_if<std::int64_t>(&in);
    const auto* d = std::get_if<double>(&in);
    switch (valueForm(type)) {
        case ValueForm::Int:
            if (d) {
                // 2^63 itself does not fit, hence the strict upper bound.
                if (!std::isfinite(*d) || std::trunc(*d) != *d || *d < -9.223372036854775808e18 ||
                    *d >= 9.223372036854775808e18) {
                    return type == PropertyType::Int ? outOfRange()
                                                     : invalid(anyToText(in) + " is not whole");
                }
                v = static_cast<std::int64_t>(*d);
            }
            break;
        case ValueForm::Float:
            if (i) v = static_cast<double>(*i);
            break;
        case ValueForm::Bool:
            if (i && (*i == 0 || *i == 1)) v = (*i == 1);
            break;
        case ValueForm::Text:
            break;
    }
    if (Status s = validate(v); !s) return s;
    out = std::move(v);
    return {};
}

Status PropertyField::validate(const PropertyValue& value) const {
    switch (type) {
        case PropertyType::Int: {
            const auto* i = std::get_if<std::int64_t>(&value);
            if (!i) return invalid(anyToText(value) + " is not a whole number");
            if (*i < intMin || *i > intMax) return outOfRange();
            return {};
        }
        case PropertyType::Float: {
            const auto* d = std::get_if<double>(&value);
            if (!d) return invalid(anyToText(value) + " is not a number");
            // Written this way round so that NaN fails too.
            if (!(*d >= numberMin && *d <= numberMax)) return outOfRange();
            return {};
        }
        case PropertyType::Bool:
            if (!std::holds_alternative<bool>(value))
                return invalid(anyToText(value) + " is neither true nor false");
            return {};
        case PropertyType::Choice: {
            const auto* i = std::get_if<std::int64_t>(&value);
            if (!i || !findChoice(*i)) return invalid(anyToText(value) + " is not one of the choices");
            return {};
        }
        case PropertyType::Colour: {
            const auto* i = std::get_if<std::int64_t>(&value);
            if (!i || *i < 0 || *i > 0xFFFFFF)
                return invalid(anyToText(value) + " is not a colour (#RRGGBB)");
            return {};
        }
        default:
            break;
    }
    const auto* s = std::get_if<std::string>(&value);
    if (!s) return invalid(anyToText(value) + " is not text");
    if (s->find('\0') != std::string::npos) return invalid("the text holds a zero character");
    if (maxLength != 0 && s->size() > maxLength) {
        return invalid("at most " + std::to_string(maxLength) + " characters");
    }
    if (type == PropertyType::Font && !pt::parseFont(*s))
        return invalid(quoted(*s) + " is not a font description");
    return {};
}

}  // namespace kestrune
