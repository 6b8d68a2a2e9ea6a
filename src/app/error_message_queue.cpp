#include "app/error_message_queue.h"

#include "platform/main_queue.h"
#include "resources/message_box.h"

namespace kestrune {

bool ErrorMessageQueue::queue(std::string_view text) {
    if (!queue_.put(text)) return false;
    mainQueue_.post(kMsgShowNextErrorMessage);
    return true;
}

bool ErrorMessageQueue::showNext(UserInterface& ui) {
    // Only the main thread takes texts, so one that was counted is still there.
    if (queue_.empty()) return false;
    showMessageText(ui, queue_.get(), MessageIcon::Warning);
    return true;
}

}  // namespace kestrune
