#pragma once
// A block's settings (its PropertySet) as a JSON object, key by key in table
// order, and back. Values keep their canonical forms: check boxes as true or
// false, whole numbers and choices as integers, numbers as numbers, texts,
// fonts and paths as strings. When read back a choice may also be given by
// its label, and a number as "nan", "inf" or "-inf".
//
// Applying only writes the settings whose value differs from what the block
// holds, all of them at once with the table's cross-field checks (all or
// nothing). A block loaded from its record and given back its own settings
// is therefore left exactly as it was, even where a setter would normalise.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ksv/json_input.h"
#include "properties/property_set.h"

namespace kestrune::ksv {

// Every setting but the keys in `leaveOut`.
Json settingsJson(const PropertySet& set, std::span<const std::string_view> leaveOut = {});

// One setting to apply: its key, its JSON value and where that value was.
struct SettingChange {
    std::string key;
    const Json* value = nullptr;
    std::string path;
};

// The members of the `settings` object as changes; a member named in
// `refused` is a problem (`why` says where it belongs instead).
Status settingChanges(const Json& settings, std::string_view path, std::span<const std::string_view> refused,
                      std::string_view why, std::vector<SettingChange>& out);

// Applies the changes whose value differs from the set's. Unknown keys and
// values a field refuses are problems at their path; a setter or a cross-field
// check that refuses is a problem at `where`.
Status applySettings(PropertySet& set, std::span<const SettingChange> changes, std::string_view where);

}  // namespace kestrune::ksv
