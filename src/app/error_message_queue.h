#pragma once
// Texts that must be shown to the user one by one (failed preparations,
// script errors), queued from any thread and shown by the main thread in
// warning boxes. At most 50 wait; a text queued when they are all taken is
// lost, so that a storm of errors can never stall the thread reporting them.

#include <cstddef>
#include <string_view>

#include "platform/message_queue.h"

namespace kestrune {

class MainQueue;
class UserInterface;

class ErrorMessageQueue {
  public:
    explicit ErrorMessageQueue(MainQueue& mainQueue) : mainQueue_(mainQueue) {}

    // Any thread: queues the text and posts 0x4CF. False when it was lost.
    bool queue(std::string_view text);
    // Main thread, on 0x4CF: shows the oldest text with the warning icon.
    // False when nothing was waiting.
    bool showNext(UserInterface& ui);

    std::size_t pending() const { return queue_.count(); }

  private:
    MainQueue& mainQueue_;
    CMessageQueue queue_;
};

}  // namespace kestrune
