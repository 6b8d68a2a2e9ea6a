#pragma once
// The two status panes as state that anyone may look at: pane 0 with the last
// message ("Running normally", a run error's text), pane 1 with the error
// count. The run-error report and run control write them on the main thread;
// the desktop program's status bar and the command-line runtime follow them
// through the listener, which is called after every change, on the thread
// that made it, outside the lock.

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "app/status_panes.h"

namespace kestrune {

class StatusBarState final : public StatusPanes {
  public:
    static constexpr int kPaneCount = 2;
    using Listener = std::function<void(int pane, const std::string& text)>;

    // A pane outside 0..1 is ignored. Setting the text a pane shows already
    // still tells the listener: the same run error twice is two reports.
    void setPaneText(int pane, std::string_view text) override;
    // "" for a pane outside 0..1.
    std::string text(int pane) const;

    void setListener(Listener listener);

  private:
    mutable std::mutex mutex_;
    std::array<std::string, kPaneCount> texts_;
    std::shared_ptr<const Listener> listener_;
};

}  // namespace kestrune
