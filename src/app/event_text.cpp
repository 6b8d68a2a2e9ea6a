#include "app/event_text.h"

#include "app/text_format.h"
#include "platform/message_queue.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

// A user, a time and a date, in this order, for the kinds that name a user or the strategy.
int userEventMessage(EventKind kind) {
    switch (kind) {
        case EventKind::Login:
            return kMsgEventLogin;
        case EventKind::Logout:
            return kMsgEventLogout;
        case EventKind::StrategyStarted:
            return kMsgEventStrategyStarted;
        case EventKind::StrategyStopped:
            return kMsgEventStrategyStopped;
        case EventKind::Lock:
            return kMsgEventLock;
        case EventKind::Unlock:
            return kMsgEventUnlock;
        default:
            return 0;
    }
}

}  // namespace

std::optional<EventKind> eventKindFrom(int kind) {
    if (kind < static_cast<int>(EventKind::Login) || kind > static_cast<int>(EventKind::Unlock))
        return std::nullopt;
    return static_cast<EventKind>(kind);
}

std::string eventText(EventKind kind, std::string_view subject, const std::tm& when) {
    const std::string time = eventTimeText(when);
    const std::string date = eventDateText(when);
    std::string text;
    if (const int id = userEventMessage(kind)) {
        text = formatText(strings::text(id), {subject, time, date});
    } else if (kind == EventKind::Acknowledgement) {
        text = formatText(strings::text(kMsgEventAcknowledged), {subject, time});
    } else if (kind == EventKind::Note) {
        text = formatText("%s at %s %s", {subject, time, date});
    } else {
        text = std::string(subject);
    }
    // A line break or a zero byte inside a subject would split or cut the
    // line in the working file; they become blanks.
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    text.resize(utf8PrefixLength(text, kMaxEventText));
    return text;
}

std::optional<bool> loginStateAfter(EventKind kind) {
    switch (kind) {
        case EventKind::Login:
        case EventKind::StrategyStarted:
        case EventKind::Lock:
            return true;
        case EventKind::Logout:
        case EventKind::Unlock:
            return false;
        default:
            return std::nullopt;
    }
}

bool isAlarmEvent(EventKind kind) {
    return kind == EventKind::Alarm || kind == EventKind::Acknowledgement;
}

EventLineState eventLineState(std::string_view line) {
    if (line.empty()) return EventLineState::Plain;
    if (line.front() == kUnacknowledgedMark) return EventLineState::Unacknowledged;
    if (line.front() == kAcknowledgedMark) return EventLineState::Acknowledged;
    return EventLineState::Plain;
}

}  // namespace kestrune
