#pragma once
// The host's extension library: the classes, functions, subs, methods and
// properties a script may use, each with the id the host's dispatch receives.
// Several entries may share a script name (alternate forms, told apart by
// their argument count: the first form that accepts the count is used);
// a function can also be called by a companion name.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/basic/basic_value.h"
#include "platform/status.h"

namespace kestrune {

enum class BasicEntryKind : std::uint8_t { Class, Function, Sub, Method, Property };

inline constexpr int kBasicNoId = -1;

struct BasicLibraryEntry {
    BasicEntryKind kind = BasicEntryKind::Sub;
    std::string name;
    int id = kBasicNoId;  // classes, functions, subs, methods: the id called
    // Methods and properties: the class they belong to. Functions and methods
    // that return an object: the class of that object.
    std::string className;
    int minArgs = 0;
    int maxArgs = 0;  // beyond minArgs, trailing arguments are optional
    BasicType result = BasicType::Empty;  // Empty: a sub, no value
    int readId = kBasicNoId;   // properties only
    int writeId = kBasicNoId;  // properties only
    BasicType propertyType = BasicType::Variant;
    std::string companion;  // another name a function answers to
    bool alternate = false; // a second form of an earlier name
};

class BasicLibrary {
  public:
    explicit BasicLibrary(std::string name = "Host") : name_(std::move(name)) {}

    // Adds an entry; a method or property must name a class added before it.
    Status add(BasicLibraryEntry entry);

    const std::string& name() const { return name_; }
    const std::vector<BasicLibraryEntry>& entries() const { return entries_; }

    // The class index (0 is "no class"), 1-based in order of addition.
    std::uint16_t classIndex(std::string_view className) const;
    // The first entry of a global (function, sub or class) named `name` or
    // answering to it as companion that accepts `argc` arguments; -1 none,
    // -2 when the name exists with no form for that count.
    int findGlobal(std::string_view name, int argc) const;
    bool hasGlobal(std::string_view name) const;
    // Same for a member of the class with index `classIndex`.
    int findMember(std::uint16_t classIndex, std::string_view name, int argc) const;

  private:
    std::string name_;
    std::vector<BasicLibraryEntry> entries_;
    std::vector<std::string> classes_;
};

bool basicNameEquals(std::string_view a, std::string_view b);

}  // namespace kestrune
