#include "properties/property_set.h"

#include "properties/property_table.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {

std::size_t PropertySet::size() const {
    return table_->size();
}

const PropertyField& PropertySet::field(std::size_t i) const {
    return table_->field(i);
}

std::optional<std::size_t> PropertySet::indexOf(std::string_view key) const {
    return table_->indexOf(key);
}

PropertyValue PropertySet::value(std::size_t i) const {
    return table_->access_.at(i).get(object_);
}

std::string PropertySet::text(std::size_t i) const {
    return field(i).toText(value(i));
}

std::vector<PropertySet::NamedChange> PropertySet::values() const {
    std::vector<NamedChange> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) out.emplace_back(field(i).key, value(i));
    return out;
}

bool PropertySet::enabled(std::size_t i) const {
    const auto& a = table_->access_.at(i);
    return !a.enabled || a.enabled(object_);
}

Status PropertySet::noField(std::string_view what) const {
    return Status(kMsgInvalidParameters,
                  strings::text(kMsgInvalidParameters) + " : there is no setting " + std::string(what));
}

Status PropertySet::set(std::size_t i, const PropertyValue& v) {
    const Change one{i, v};
    return write(std::span<const Change>(&one, 1), false);
}

Status PropertySet::check() const {
    for (const auto& c : table_->checks_) {
        if (Status s = c(object_); !s) return s;
    }
    return {};
}

void PropertySet::restore(const std::vector<std::optional<PropertyValue>>& before) {
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!before[i] || value(i) == *before[i]) continue;
        // The old value came from the object; put it back even if it is
        // outside today's limits (a file may hold such values).
        (void)table_->access_[i].set(object_, *before[i]);
    }
}

Status PropertySet::apply(std::span<const Change> changes) {
    return write(changes, true);
}

Status PropertySet::write(std::span<const Change> changes, bool runChecks) {
    std::vector<Change> accepted;
    accepted.reserve(changes.size());
    for (const Change& c : changes) {
        if (c.first >= size()) return noField("number " + std::to_string(c.first));
        const PropertyField& f = field(c.first);
        if (f.readOnly || !table_->access_[c.first].set) return f.invalid("the setting cannot be changed");
        PropertyValue canonical;
        if (Status s = f.accept(c.second, canonical); !s) return s;
        accepted.emplace_back(c.first, std::move(canonical));
    }

    // Setters may adjust other fields (a first channel moving the last one),
    // so every writable field is remembered, not only the changed ones.
    std::vector<std::optional<PropertyValue>> before(size());
    for (std::size_t i = 0; i < size(); ++i) {
        if (table_->access_[i].set) before[i] = value(i);
    }
    for (const Change& c : accepted) {
        if (Status s = table_->access_[c.first].set(object_, c.second); !s) {
            restore(before);
            return s;
        }
    }
    if (Status s = runChecks ? check() : Status{}; !s) {
        restore(before);
        return s;
    }
    return {};
}

Status PropertySet::applyNamed(std::span<const NamedChange> changes) {
    std::vector<Change> indexed;
    indexed.reserve(changes.size());
    for (const NamedChange& c : changes) {
        const auto i = indexOf(c.first);
        if (!i) return noField("named \"" + c.first + "\"");
        indexed.emplace_back(*i, c.second);
    }
    return apply(indexed);
}

Status PropertySet::resetToDefaults() {
    std::vector<Change> defaults;
    for (std::size_t i = 0; i < size(); ++i) {
        const PropertyField& f = field(i);
        if (f.defaultValue && !f.readOnly) defaults.emplace_back(i, *f.defaultValue);
    }
    return apply(defaults);
}

}  // namespace kestrune
