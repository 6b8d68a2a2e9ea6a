#pragma once
// The two text panes of the main window's status bar as the run-error
// report sees them: pane 0 shows the last message, pane 1 the error count.
// The main frame implements it; the command-line runtime prints instead.
// Called on the main thread only.

#include <string_view>

namespace kestrune {

class StatusPanes {
  public:
    static constexpr int kMessagePane = 0;
    static constexpr int kErrorCountPane = 1;

    virtual ~StatusPanes() = default;
    virtual void setPaneText(int pane, std::string_view text) = 0;
};

}  // namespace kestrune
