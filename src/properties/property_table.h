#pragma once
// Settings as data. A kind (block or display item) describes its settings
// once, in a table built from its members or from getter/setter pairs:
//
//   const PropertyTable<AiBlock>& AiBlock::propertyTable() {
//       static const PropertyTable<AiBlock> table = [] {
//           PropertyTable<AiBlock> t;
//           t.addInt("&Update times", &AiBlock::updateTimes_, 1, 10000);
//           t.addChoice("Source", &AiBlock::source_, {{0, "Device"}, {1, "OPC item"}});
//           t.page("Scaling");
//           t.addBool("Enable scaling ", &AiBlock::scaling_).key("scaling");
//           t.addFloat("n1", &AiBlock::inMin_, -1e30, 1e30)
//               .enabledWhen([](const AiBlock& b) { return b.scaling_ != 0; });
//           return t;
//       }();
//       return table;
//   }
//   PropertySet AiBlock::properties() { return propertyTable().bind(*this); }
//
// Members of a base class of the kind can be named directly, so a family of
// kinds shares one helper that adds its common fields. A setter may return
// void or a Status to refuse a value it cannot take. A table is built once
// and only read afterwards, so it may be shared between threads.

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/log_font.h"
#include "properties/property_field.h"
#include "properties/property_set.h"
#include "properties/property_text.h"

namespace kestrune {

class PropertyTableBase {
  public:
    const std::vector<PropertyField>& fields() const { return fields_; }
    std::size_t size() const { return fields_.size(); }
    const PropertyField& field(std::size_t i) const { return fields_.at(i); }
    std::optional<std::size_t> indexOf(std::string_view key) const;
    // Page names in order of first use ("" stands for the unnamed first page).
    std::vector<std::string> pages() const;
    // Indices of the fields of `page`, in table order.
    std::vector<std::size_t> fieldsOf(std::string_view page) const;

    // Fields added from now on go on this page and into this group. A new
    // page starts with no group.
    void page(std::string name);
    void group(std::string name) { group_ = std::move(name); }

    // The table's own consistency: unique keys, limits the right way round,
    // choices present and distinct, defaults that the fields accept. Each
    // kind's tests should call it.
    Status selfCheck() const;

    // "&From channel:" -> "fromChannel".
    static std::string keyFromLabel(std::string_view label);

  protected:
    struct Access {
        std::function<PropertyValue(const void*)> get;
        std::function<Status(void*, const PropertyValue&)> set;  // empty for a read-only field
        std::function<bool(const void*)> enabled;                // empty: always enabled
    };

    std::size_t add(PropertyField f, Access a);
    PropertyField& fieldAt(std::size_t i) { return fields_.at(i); }
    Access& accessAt(std::size_t i) { return access_.at(i); }
    void addErasedCheck(std::function<Status(const void*)> check) { checks_.push_back(std::move(check)); }
    PropertySet makeSet(void* object) const { return PropertySet(*this, object); }

  private:
    friend class PropertySet;

    std::vector<PropertyField> fields_;
    std::vector<Access> access_;
    std::vector<std::function<Status(const void*)>> checks_;
    std::string page_;
    std::string group_;
};

namespace property_detail {

template <class T>
std::int64_t toInt(T v) {
    if constexpr (std::is_enum_v<T>) {
        return static_cast<std::int64_t>(static_cast<std::underlying_type_t<T>>(v));
    } else {
        return static_cast<std::int64_t>(v);
    }
}
template <class T>
T fromInt(std::int64_t v) {
    if constexpr (std::is_enum_v<T>) {
        return static_cast<T>(static_cast<std::underlying_type_t<T>>(v));
    } else {
        return static_cast<T>(v);
    }
}
// Values reaching a setter were checked against the field, so the fallbacks
// below are never taken; they keep a wrong alternative from throwing.
inline std::int64_t asInt(const PropertyValue& v) {
    const auto* p = std::get_if<std::int64_t>(&v);
    return p ? *p : 0;
}
inline double asNumber(const PropertyValue& v) {
    const auto* p = std::get_if<double>(&v);
    return p ? *p : 0.0;
}
inline bool asBool(const PropertyValue& v) {
    const auto* p = std::get_if<bool>(&v);
    return p && *p;
}
inline std::string asText(const PropertyValue& v) {
    const auto* p = std::get_if<std::string>(&v);
    return p ? *p : std::string();
}
inline LogFont asFont(const PropertyValue& v) {
    return propertytext::parseFont(asText(v)).value_or(LogFont{});
}

template <class T, class Obj>
concept Getter = std::invocable<T, const Obj&>;

}  // namespace property_detail

template <class Obj>
class PropertyTable : public PropertyTableBase {
  public:
    // Refines the field just added.
    class Field {
      public:
        Field& key(std::string k) {
            t_.fieldAt(i_).key = std::move(k);
            return *this;
        }
        Field& help(std::string h) {
            t_.fieldAt(i_).help = std::move(h);
            return *this;
        }
        Field& defaultValue(PropertyValue v) {
            t_.fieldAt(i_).defaultValue = std::move(v);
            return *this;
        }
        // The kind's own message id for a value outside the limits.
        Field& rangeMessage(Code id) {
            t_.fieldAt(i_).rangeMessage = id;
            return *this;
        }
        Field& readOnly() {
            t_.fieldAt(i_).readOnly = true;
            t_.accessAt(i_).set = nullptr;
            return *this;
        }
        Field& enabledWhen(std::function<bool(const Obj&)> pred) {
            t_.accessAt(i_).enabled = [pred = std::move(pred)](const void* o) {
                return pred(*static_cast<const Obj*>(o));
            };
            return *this;
        }
        std::size_t index() const { return i_; }

      private:
        friend class PropertyTable;
        Field(PropertyTable& t, std::size_t i) : t_(t), i_(i) {}
        PropertyTable& t_;
        std::size_t i_;
    };

    // --- fields on members (of Obj or of a base of Obj) ----------------------

    template <std::integral T, class C>
    requires std::derived_from<Obj, C> Field addInt(std::string label, T C::*member, std::int64_t min,
                                                    std::int64_t max) {
        // A setting can never go beyond what its member holds.
        using L = std::numeric_limits<T>;
        std::int64_t lo = min;
        std::int64_t hi = max;
        if constexpr (sizeof(T) < sizeof(std::int64_t) || std::is_signed_v<T>) {
            lo = std::max<std::int64_t>(min, static_cast<std::int64_t>(L::min()));
            hi = std::min<std::int64_t>(max, static_cast<std::int64_t>(L::max()));
        }
        if constexpr (std::is_unsigned_v<T>) lo = std::max<std::int64_t>(lo, 0);
        return addInt(std::move(label), memberGet(member), memberSet(member), lo, hi);
    }

    template <std::floating_point T, class C>
    requires std::derived_from<Obj, C> Field addFloat(std::string label, T C::*member, double min,
                                                      double max) {
        return addFloat(std::move(label), memberGet(member), memberSet(member), min, max);
    }

    template <class T, class C>
    requires std::derived_from<Obj, C> &&(std::integral<T>)Field addBool(std::string label, T C::*member) {
        return addBool(std::move(label), memberGet(member), memberSet(member));
    }

    template <class T, class C>
    requires std::derived_from<Obj, C> &&(std::integral<T> || std::is_enum_v<T>)Field
        addChoice(std::string label, T C::*member, std::vector<PropertyChoice> choices) {
        return addChoice(std::move(label), memberGet(member), memberSet(member), std::move(choices));
    }

    template <class C>
    requires std::derived_from<Obj, C> Field addString(std::string label, std::string C::*member,
                                                       std::size_t maxLength,
                                                       PropertyType type = PropertyType::String) {
        return addString(std::move(label), memberGet(member), memberSet(member), maxLength, type);
    }

    template <std::integral T, class C>
    requires std::derived_from<Obj, C> Field addColour(std::string label, T C::*member) {
        return addColour(std::move(label), memberGet(member), memberSet(member));
    }

    template <class C>
    requires std::derived_from<Obj, C> Field addFont(std::string label, LogFont C::*member) {
        return addFont(std::move(label), memberGet(member), memberSet(member));
    }

    // --- fields through a getter and a setter ---------------------------------
    // get(const Obj&) returns the value; set(Obj&, value) returns void or a
    // Status. A nullptr setter makes the field read-only.

    template <property_detail::Getter<Obj> Get, class Set>
    Field addInt(std::string label, Get get, Set set, std::int64_t min, std::int64_t max) {
        PropertyField f = make(std::move(label), PropertyType::Int);
        f.intMin = min;
        f.intMax = max;
        return addErased(std::move(f), std::move(get), std::move(set), intOut(),
                         [](const PropertyValue& v) { return property_detail::asInt(v); });
    }

    template <property_detail::Getter<Obj> Get, class Set>
    Field addFloat(std::string label, Get get, Set set, double min, double max) {
        using T = std::decay_t<std::invoke_result_t<Get, const Obj&>>;
        PropertyField f = make(std::move(label), PropertyType::Float);
        f.singlePrecision = std::is_same_v<T, float>;
        if (f.singlePrecision) {
            min = std::max(min, static_cast<double>(std::numeric_limits<float>::lowest()));
            max = std::min(max, static_cast<double>(std::numeric_limits<float>::max()));
        }
        f.numberMin = min;
        f.numberMax = max;
        return addErased(
            std::move(f), std::move(get), std::move(set),
            [](const T& v) { return PropertyValue(static_cast<double>(v)); },
            [](const PropertyValue& v) { return property_detail::asNumber(v); });
    }

    template <property_detail::Getter<Obj> Get, class Set>
    Field addBool(std::string label, Get get, Set set) {
        using T = std::decay_t<std::invoke_result_t<Get, const Obj&>>;
        return addErased(
            make(std::move(label), PropertyType::Bool), std::move(get), std::move(set),
            [](const T& v) { return PropertyValue(static_cast<bool>(v)); },
            [](const PropertyValue& v) { return static_cast<T>(property_detail::asBool(v) ? 1 : 0); });
    }

    template <property_detail::Getter<Obj> Get, class Set>
    Field addChoice(std::string label, Get get, Set set, std::vector<PropertyChoice> choices) {
        using T = std::decay_t<std::invoke_result_t<Get, const Obj&>>;
        PropertyField f = make(std::move(label), PropertyType::Choice);
        f.choices = std::move(choices);
        if (!f.choices.empty()) {
            f.intMin = f.intMax = f.choices.front().value;
            for (const PropertyChoice& c : f.choices) {
                f.intMin = std::min(f.intMin, c.value);
                f.intMax = std::max(f.intMax, c.value);
            }
        }
        return addErased(std::move(f), std::move(get), std::move(set), intOut(), [](const PropertyValue& v) {
            return property_detail::fromInt<T>(property_detail::asInt(v));
        });
    }

    // Text settings; `type` says which editor the dialog uses (String,
    // FilePath, Device, OpcItem). maxLength 0 means no limit.
    template <property_detail::Getter<Obj> Get, class Set>
    Field addString(std::string label, Get get, Set set, std::size_t maxLength,
                    PropertyType type = PropertyType::String) {
        PropertyField f = make(std::move(label), type);
        f.maxLength = maxLength;
        return addErased(
            std::move(f), std::move(get), std::move(set),
            [](const auto& v) { return PropertyValue(std::string(v)); },
            [](const PropertyValue& v) { return property_detail::asText(v); });
    }

    template <property_detail::Getter<Obj> Get, class Set>
    Field addColour(std::string label, Get get, Set set) {
        using T = std::decay_t<std::invoke_result_t<Get, const Obj&>>;
        return addErased(
            make(std::move(label), PropertyType::Colour), std::move(get), std::move(set),
            [](const T& v) { return PropertyValue(static_cast<std::int64_t>(v)); },
            [](const PropertyValue& v) { return static_cast<T>(property_detail::asInt(v)); });
    }

    template <property_detail::Getter<Obj> Get, class Set>
    Field addFont(std::string label, Get get, Set set) {
        return addErased(
            make(std::move(label), PropertyType::Font), std::move(get), std::move(set),
            [](const LogFont& f) { return PropertyValue(propertytext::formatFont(f)); },
            [](const PropertyValue& v) { return property_detail::asFont(v); });
    }

    // A check across fields, run by PropertySet::check() and apply().
    void addCheck(std::function<Status(const Obj&)> check) {
        addErasedCheck(
            [check = std::move(check)](const void* o) { return check(*static_cast<const Obj*>(o)); });
    }

    PropertySet bind(Obj& object) const { return makeSet(&object); }

  private:
    PropertyField make(std::string label, PropertyType type) {
        PropertyField f;
        f.label = std::move(label);
        f.type = type;
        return f;
    }

    static auto intOut() {
        return [](const auto& v) { return PropertyValue(property_detail::toInt(v)); };
    }

    template <class T, class C>
    static auto memberGet(T C::*member) {
        return [member](const Obj& o) -> const T& { return o.*member; };
    }
    template <class T, class C>
    static auto memberSet(T C::*member) {
        return [member](Obj& o, const T& v) { o.*member = v; };
    }

    template <class Get, class Set, class Out, class In>
    Field addErased(PropertyField f, Get get, Set set, Out out, In in) {
        Access a;
        a.get = [get = std::move(get), out](const void* o) -> PropertyValue {
            return out(std::invoke(get, *static_cast<const Obj*>(o)));
        };
        if constexpr (std::is_null_pointer_v<Set>) {
            f.readOnly = true;
        } else {
            a.set = [set = std::move(set), in](void* o, const PropertyValue& v) -> Status {
                Obj& obj = *static_cast<Obj*>(o);
                if constexpr (std::is_void_v<decltype(std::invoke(set, obj, in(v)))>) {
                    std::invoke(set, obj, in(v));
                    return {};
                } else {
                    return std::invoke(set, obj, in(v));
                }
            };
        }
        return Field(*this, add(std::move(f), std::move(a)));
    }
};

}  // namespace kestrune
