#pragma once
// The kinds of event log entries and the text of each. A line's text is at
// most kMaxEventText characters; an alarm is shown with a leading "*" in
// front of its text (its unacknowledged mark, which an acknowledgement turns
// into "-"), so a shown line is at most one character longer. The working
// file receives the text without the mark.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

enum class EventKind : int {
    Login = 1,
    Logout = 2,
    StrategyStarted = 3,
    StrategyStopped = 4,
    Alarm = 5,  // an alarm or a message: the text itself
    Acknowledgement = 6,
    Note = 7,
    Lock = 8,
    Unlock = 9,
};

inline constexpr std::size_t kMaxEventText = 119;
inline constexpr char kUnacknowledgedMark = '*';
inline constexpr char kAcknowledgedMark = '-';

// The kind for a number from a script or a stored value; nullopt outside 1..9.
std::optional<EventKind> eventKindFrom(int kind);

// The text of an event of `kind` about `subject` (the user, the strategy,
// the alarm text, the acknowledged line or the note) at local time `when`,
// cut to kMaxEventText characters.
std::string eventText(EventKind kind, std::string_view subject, const std::tm& when);

// The login state an event leaves behind: logins, starts and locks set it,
// logouts and unlocks clear it, other kinds leave it alone (nullopt).
std::optional<bool> loginStateAfter(EventKind kind);

// Alarms and their acknowledgements: what "Alarm only" printing prints.
bool isAlarmEvent(EventKind kind);

enum class EventLineState { Plain, Unacknowledged, Acknowledged };
// What the image beside a shown line says about it.
EventLineState eventLineState(std::string_view line);

}  // namespace kestrune
