#include "cli/ksv/settings_json.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrune::ksv {
namespace {

bool contains(std::span<const std::string_view> keys, std::string_view key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

Json valueJson(const PropertyValue& v) {
    return std::visit(
        [](const auto& x) -> Json {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, double>) {
                return numberJson(x);
            } else {
                return x;
            }
        },
        v);
}

// The JSON value in the loose form PropertyField::accept takes.
Status propertyValue(const Json& v, const PropertyField& field, std::string_view path, PropertyValue& out) {
    if (v.is_boolean()) {
        out = v.get<bool>();
    } else if (v.is_number_integer()) {
        std::int64_t i = 0;
        if (Status s = readInteger(v, path, std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max(), i);
            !s)
            return s;
        out = i;
    } else if (v.is_number()) {
        out = v.get<double>();
    } else if (v.is_string()) {
        double d = 0;
        if (valueForm(field.type) == ValueForm::Float && readNumber(v, path, d).ok()) {
            out = d;
        } else {
            out = v.get<std::string>();
        }
    } else {
        return invalidAt(path, std::string("expected a value, found ") + v.type_name());
    }
    return {};
}

bool sameValue(const PropertyValue& a, const PropertyValue& b) {
    if (const auto* x = std::get_if<double>(&a)) {
        const auto* y = std::get_if<double>(&b);
        return y != nullptr && (*x == *y || (std::isnan(*x) && std::isnan(*y)));
    }
    return a == b;
}

}  // namespace

Json settingsJson(const PropertySet& set, std::span<const std::string_view> leaveOut) {
    Json out = Json::object();
    for (std::size_t i = 0; i < set.size(); ++i) {
        const std::string& key = set.field(i).key;
        if (contains(leaveOut, key)) continue;
        out[key] = valueJson(set.value(i));
    }
    return out;
}

Status settingChanges(const Json& settings, std::string_view path, std::span<const std::string_view> refused,
                      std::string_view why, std::vector<SettingChange>& out) {
    if (!settings.is_object())
        return invalidAt(path, std::string("expected an object, found ") + settings.type_name());
    for (const auto& [key, value] : settings.items()) {
        const std::string at = memberPath(path, key);
        if (contains(refused, key)) return invalidAt(at, why);
        out.push_back({key, &value, at});
    }
    return {};
}

Status applySettings(PropertySet& set, std::span<const SettingChange> changes, std::string_view where) {
    std::vector<PropertySet::Change> differing;
    for (const SettingChange& c : changes) {
        const std::optional<std::size_t> i = set.indexOf(c.key);
        if (!i) return invalidAt(c.path, "no such setting");
        const PropertyField& field = set.field(*i);
        PropertyValue given;
        if (Status s = propertyValue(*c.value, field, c.path, given); !s) return s;
        // The value as dumped is taken as it stands, even one the field would
        // refuse now (a record of an older program may hold such values).
        const PropertyValue current = set.value(*i);
        if (sameValue(given, current)) continue;
        PropertyValue canonical;
        if (Status s = field.accept(given, canonical); !s) return invalidAt(c.path, s.context);
        if (sameValue(canonical, current)) continue;
        if (field.readOnly) return invalidAt(c.path, "cannot be changed");
        differing.emplace_back(*i, std::move(canonical));
    }
    if (differing.empty()) return {};
    if (Status s = set.apply(differing); !s)
        return invalidAt(where, s.context.empty() ? "refused" : s.context);
    return {};
}

}  // namespace kestrune::ksv
