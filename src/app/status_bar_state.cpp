#include "app/status_bar_state.h"

#include <memory>

namespace kestrune {

void StatusBarState::setPaneText(int pane, std::string_view text) {
    if (pane < 0 || pane >= kPaneCount) return;
    std::shared_ptr<const Listener> listener;
    std::string copy(text);
    {
        std::lock_guard lock(mutex_);
        texts_[static_cast<std::size_t>(pane)] = copy;
        listener = listener_;
    }
    if (listener && *listener) (*listener)(pane, copy);
}

std::string StatusBarState::text(int pane) const {
    if (pane < 0 || pane >= kPaneCount) return {};
    std::lock_guard lock(mutex_);
    return texts_[static_cast<std::size_t>(pane)];
}

void StatusBarState::setListener(Listener listener) {
    auto shared = std::make_shared<const Listener>(std::move(listener));
    std::lock_guard lock(mutex_);
    listener_ = std::move(shared);
}

}  // namespace kestrune
