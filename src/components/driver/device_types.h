#pragma once
// The device types the device list may name, each with the parser that turns
// a section of its type into a device. Adding a device type to the program is
// one class and one add() here at start-up; the list reader and the driver
// know no type by name.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/driver/device.h"
#include "components/driver/device_section.h"
#include "platform/status.h"

namespace kestrune {

class DeviceTypes {
  public:
    // Reads the type's own settings of `section` (faults through
    // sectionError) and makes the device.
    using Parser = std::function<Status(const DeviceSection& section, std::shared_ptr<Device>& out)>;

    struct Type {
        std::string name;                // the `type` value in the list
        std::string defaultDescription;  // followed by the device number when none is given
        Parser parse;
    };

    // A later add of the same name replaces the earlier one.
    void add(std::string name, std::string defaultDescription, Parser parse);
    const Type* find(std::string_view name) const;
    // "board, com or probe": for the error text of an unknown type.
    std::string namesText() const;

  private:
    std::vector<Type> types_;
};

}  // namespace kestrune
