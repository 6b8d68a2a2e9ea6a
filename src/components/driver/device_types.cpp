#include "components/driver/device_types.h"

#include <algorithm>

namespace kestrune {

void DeviceTypes::add(std::string name, std::string defaultDescription, Parser parse) {
    Type type{std::move(name), std::move(defaultDescription), std::move(parse)};
    auto it = std::find_if(types_.begin(), types_.end(), [&](const Type& t) { return t.name == type.name; });
    if (it != types_.end())
        *it = std::move(type);
    else
        types_.push_back(std::move(type));
}

const DeviceTypes::Type* DeviceTypes::find(std::string_view name) const {
    for (const Type& t : types_)
        if (t.name == name) return &t;
    return nullptr;
}

std::string DeviceTypes::namesText() const {
    std::string text;
    for (std::size_t i = 0; i < types_.size(); ++i) {
        if (i > 0) text += i + 1 == types_.size() ? " or " : ", ";
        text += types_[i].name;
    }
    return text;
}

}  // namespace kestrune
