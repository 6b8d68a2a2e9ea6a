#pragma once
// What a setting holds, independent of the object that holds it. Values cross
// the module boundary in four plain forms that map one-to-one onto JSON
// (bool, integer, floating point, string), so the strategy tool can read and
// write settings without knowing any block kind, and the GUI can pick an
// editor from the type alone.

#include <cstdint>
#include <string>
#include <variant>

namespace kestrune {

// The editor kind of a setting. New kinds of editor add an enumerator here and
// say which value form they use in valueForm().
enum class PropertyType : std::uint8_t {
    Int,       // whole number within limits
    Float,     // number within limits
    Bool,      // check box
    Choice,    // one of a list of (value, label)
    String,    // text of at most a given length
    Colour,    // 0x00BBGGRR
    Font,      // logical font, in the text form of property_text.h
    FilePath,  // text edited with a file chooser
    Device,    // text edited with the device chooser
    OpcItem,   // text edited with the OPC item chooser
};

const char* toString(PropertyType type);

using PropertyValue = std::variant<bool, std::int64_t, double, std::string>;

// The canonical form of each type's value: Int, Choice and Colour hold an
// integer, Float a double, Bool a bool, and the text types a string.
enum class ValueForm : std::uint8_t { Bool, Int, Float, Text };
ValueForm valueForm(PropertyType type);

struct PropertyChoice {
    std::int64_t value = 0;
    std::string label;
};

}  // namespace kestrune
