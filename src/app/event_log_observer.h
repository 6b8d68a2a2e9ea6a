#pragma once
// What the event log window, the event log display items and the front ends
// are told about the list of lines. The calls come under the event log's
// lock, from the thread that added or acknowledged the line (often a scan
// thread), in the order the list changed; so an observer must not call back
// into the event log from them (removing an observer excepted) and must
// hand the change to its own thread to show it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

class EventLogObserver {
  public:
    virtual ~EventLogObserver() = default;
    // A line was appended at `index` and is now the selected one.
    virtual void eventLineAdded(std::size_t index, std::string_view line) = 0;
    // The line at `index` changed (its "*" became "-").
    virtual void eventLineChanged(std::size_t index, std::string_view line) = 0;
    // The whole list was replaced (the event log was opened anew).
    virtual void eventLinesReplaced(const std::vector<std::string>& lines) = 0;
};

}  // namespace kestrune
