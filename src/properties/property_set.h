#pragma once
// The settings of one object: a property table bound to an instance. This is
// what the generic property dialog and the strategy tool work with; neither
// needs to know the object's kind. A set is a view: it must not outlive its
// object, and it reads and writes the object directly.
//
// Writes are checked first, so a refused value never reaches the object.
// apply() is the dialog's OK: every change and then the table's cross-field
// checks, all or nothing.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "properties/property_field.h"

namespace kestrune {

class PropertyTableBase;

class PropertySet {
  public:
    using Change = std::pair<std::size_t, PropertyValue>;
    using NamedChange = std::pair<std::string, PropertyValue>;

    const PropertyTableBase& table() const { return *table_; }
    std::size_t size() const;
    const PropertyField& field(std::size_t i) const;
    std::optional<std::size_t> indexOf(std::string_view key) const;

    // The current value in canonical form, and as the dialog shows it.
    PropertyValue value(std::size_t i) const;
    std::string text(std::size_t i) const;
    // Every field's key and value, in table order (what the strategy tool writes).
    std::vector<NamedChange> values() const;
    // Whether the dialog should let the user edit the field now (e.g. the
    // scaling limits only while scaling is on).
    bool enabled(std::size_t i) const;

    // One field, checked and written; the cross-field checks are not run. A
    // string is read as the field's text form.
    Status set(std::size_t i, const PropertyValue& v);
    Status setText(std::size_t i, std::string_view text) { return set(i, PropertyValue(std::string(text))); }

    // The table's cross-field checks on the object as it is.
    Status check() const;

    // Writes every change, then runs the cross-field checks. When any value is
    // refused nothing is written; when a setter or a check refuses, every
    // field is put back to the value it had. Later changes of the same field win.
    Status apply(std::span<const Change> changes);
    // The same with fields named by key (an unknown key is refused).
    Status applyNamed(std::span<const NamedChange> changes);
    // apply() with the default of every writable field that has one.
    Status resetToDefaults();

  private:
    friend class PropertyTableBase;
    PropertySet(const PropertyTableBase& table, void* object) : table_(&table), object_(object) {}

    Status write(std::span<const Change> changes, bool runChecks);
    Status noField(std::string_view what) const;
    void restore(const std::vector<std::optional<PropertyValue>>& before);

    const PropertyTableBase* table_;
    void* object_;
};

}  // namespace kestrune
