#pragma once
// A task name and a tag name, upper-cased, as one lookup key "TASK\0TAG"
// built on the stack: a lookup by name allocates nothing. Names are stored
// and compared upper-cased (ASCII letters only), so "task1"/"ai1" finds the
// tag "TASK1"/"AI1".
//
// A name is 1 to kMaxTagNameLength bytes without control characters
// (bytes below 0x20 and 0x7F); anything else is refused (kTagBadName).

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrune {

inline constexpr std::size_t kMaxTagNameLength = 127;

// Upper-cases `name` into `out` (room for kMaxTagNameLength bytes); returns
// its length, or 0 when the name is not acceptable.
std::size_t normaliseTagName(std::string_view name, char* out) noexcept;

// The upper-cased name as a string, or empty when not acceptable.
std::string normalisedTagName(std::string_view name);

class TagKey {
  public:
    // False when either name is not acceptable.
    bool set(std::string_view task, std::string_view tag) noexcept;
    // A key for task names alone (no tag part).
    bool setTask(std::string_view task) noexcept;

    std::string_view key() const noexcept { return {buf_, taskLen_ + 1 + tagLen_}; }
    std::string_view task() const noexcept { return {buf_, taskLen_}; }
    std::string_view tag() const noexcept { return {buf_ + taskLen_ + 1, tagLen_}; }

    // The key a task name and tag name make (both already normalised).
    static std::string compose(std::string_view task, std::string_view tag);

  private:
    char buf_[2 * kMaxTagNameLength + 1];
    std::size_t taskLen_ = 0;
    std::size_t tagLen_ = 0;
};

}  // namespace kestrune
