#pragma once
// Settings of the task object that the JSON shows as fields of the task
// rather than under its "settings", and the settings every block shows as
// fields of its own. Shared by the dump and the build, which must agree.

#include <array>
#include <string_view>

namespace kestrune::ksv {

struct PromotedSetting {
    std::string_view member;  // in the task's "period" object
    std::string_view key;     // in the task object's properties
};

inline constexpr std::array<PromotedSetting, 4> kPeriodSettings = {{
    {"hours", "periodHours"},
    {"minutes", "periodMinutes"},
    {"seconds", "periodSeconds"},
    {"milliseconds", "periodMilliseconds"},
}};
inline constexpr std::string_view kStartModeSetting = "startMode";

// Name and caption are the record's own fields.
inline constexpr std::array<std::string_view, 2> kBlockOwnFields = {"name", "caption"};
inline constexpr std::array<std::string_view, 7> kTaskOwnFields = {
    "name", "caption", "periodHours", "periodMinutes", "periodSeconds", "periodMilliseconds", "startMode"};

}  // namespace kestrune::ksv
