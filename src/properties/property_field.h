#pragma once
// The description of one setting: what the dialog calls it, what it holds and
// which values it takes. A field knows how to turn text or a loosely typed
// value into its canonical value and refuses anything outside its limits with
// the message the user will see; it knows nothing of the object that holds
// the setting (PropertyTable connects the two).
//
// A refusal is a Status whose code is the message id and whose context is the
// whole text to show:
//   - a number outside its limits or not a number: the field's own range
//     message when it has one, otherwise 61453 as "<caption>: The number must
//     be in the range from <min> to <max>.";
//   - anything else (an unknown choice, a text too long, a read-only field):
//     32874 as "Invalid parameter(s) : <caption>, <what is wrong>".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "properties/property_value.h"

namespace kestrune {

struct PropertyField {
    // Stable name for files and the strategy tool ("updateTimes"); unique in its table.
    std::string key;
    // The dialog's own text, mnemonic and colon included ("&Update times", "Description:").
    std::string label;
    PropertyType type = PropertyType::Int;
    std::string page;   // dialog page ("" for a dialog without pages)
    std::string group;  // box within the page ("" for none)
    std::string help;

    // Int and Choice use the integer limits, Float the number limits.
    std::int64_t intMin = 0;
    std::int64_t intMax = 0;
    double numberMin = 0;
    double numberMax = 0;
    // The setting is stored as a 32-bit float: text shows the float's digits.
    bool singlePrecision = false;
    // Largest number of bytes a text may have (the terminator not counted); 0 for no limit.
    std::size_t maxLength = 0;
    std::vector<PropertyChoice> choices;

    std::optional<PropertyValue> defaultValue;
    bool readOnly = false;
    // The kind's own message for a value outside the limits (0: the common range message).
    Code rangeMessage = 0;

    // The label as plain words: no '&', no trailing ':' or blanks ("Update times").
    std::string caption() const;

    // Text of a canonical value as the dialog shows it (a choice shows its label).
    std::string toText(const PropertyValue& value) const;
    // Reads `text` and checks it; `out` is only written on success.
    Status fromText(std::string_view text, PropertyValue& out) const;
    // Takes a value in any reasonable form (a string is read as text; an
    // integer-valued double for an integer; an integer for a number or a
    // colour) and checks it.
    Status accept(const PropertyValue& in, PropertyValue& out) const;
    // Checks a value already in canonical form.
    Status validate(const PropertyValue& value) const;

    // The choice whose value is `value`, if any.
    const PropertyChoice* findChoice(std::int64_t value) const;

    // Message helpers, public so that kinds word their own checks the same way.
    Status invalid(std::string_view detail) const;
    Status outOfRange() const;
};

}  // namespace kestrune
