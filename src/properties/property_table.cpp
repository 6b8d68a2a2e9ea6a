#include "properties/property_table.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

bool isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

Status tableFault(const PropertyField& f, std::string_view what) {
    return Status(kMsgInvalidParameters, strings::text(kMsgInvalidParameters) + " : " + f.caption() + ", " +
                                             std::string(what) + " (key \"" + f.key + "\")");
}

}  // namespace

std::string PropertyTableBase::keyFromLabel(std::string_view label) {
    std::string key;
    bool newWord = false;
    for (char c : label) {
        if (c == '&') continue;  // a mnemonic marker inside a word
        if (!isWordChar(c)) {
            newWord = !key.empty();
            continue;
        }
        key += key.empty() ? lower(c) : newWord ? upper(c) : lower(c);
        newWord = false;
    }
    return key;
}

std::size_t PropertyTableBase::add(PropertyField f, Access a) {
    if (f.key.empty()) f.key = keyFromLabel(f.label);
    f.page = page_;
    f.group = group_;
    if (!a.set) f.readOnly = true;
    fields_.push_back(std::move(f));
    access_.push_back(std::move(a));
    return fields_.size() - 1;
}

void PropertyTableBase::page(std::string name) {
    page_ = std::move(name);
    group_.clear();
}

std::optional<std::size_t> PropertyTableBase::indexOf(std::string_view key) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].key == key) return i;
    }
    return std::nullopt;
}

std::vector<std::string> PropertyTableBase::pages() const {
    std::vector<std::string> out;
    for (const PropertyField& f : fields_) {
        if (std::find(out.begin(), out.end(), f.page) == out.end()) out.push_back(f.page);
    }
    return out;
}

std::vector<std::size_t> PropertyTableBase::fieldsOf(std::string_view page) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].page == page) out.push_back(i);
    }
    return out;
}

Status PropertyTableBase::selfCheck() const {
    std::set<std::string> keys;
    for (const PropertyField& f : fields_) {
        if (f.key.empty()) return tableFault(f, "no key");
        if (!keys.insert(f.key).second) return tableFault(f, "key used twice");
        if (f.type == PropertyType::Int && f.intMin > f.intMax) return tableFault(f, "limits reversed");
        if (f.type == PropertyType::Float &&
            !(std::isfinite(f.numberMin) && std::isfinite(f.numberMax) && f.numberMin <= f.numberMax)) {
            return tableFault(f, "limits reversed or not finite");
        }
        if (f.type == PropertyType::Choice) {
            if (f.choices.empty()) return tableFault(f, "no choices");
            std::set<std::int64_t> values;
            std::set<std::string> labels;
            for (const PropertyChoice& c : f.choices) {
                if (!values.insert(c.value).second) return tableFault(f, "choice value used twice");
                if (!labels.insert(c.label).second) return tableFault(f, "choice label used twice");
            }
        }
        if (f.defaultValue) {
            PropertyValue canonical;
            if (Status s = f.accept(*f.defaultValue, canonical); !s) {
                return tableFault(f, "default refused: " + s.context);
            }
        }
    }
    return {};
}

}  // namespace kestrune
