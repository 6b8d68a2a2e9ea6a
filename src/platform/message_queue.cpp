#include "platform/message_queue.h"

#include <cstring>

namespace kestrune {

std::size_t utf8PrefixLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    auto isContinuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
    if (!isContinuation(limit)) return limit;
    // The cut falls inside a character: step back to its first byte, which
    // must be a lead byte no more than three bytes back.
    for (std::size_t back = 1; back <= 3 && back <= limit; ++back) {
        const auto b = static_cast<unsigned char>(text[limit - back]);
        if (b >= 0xC0) return limit - back;
        if ((b & 0xC0) != 0x80) break;
    }
    return limit;
}

bool CMessageQueue::put(std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    const std::size_t n = utf8PrefixLength(text, kMaxText);
    std::lock_guard lock(mutex_);
    if (count_ == kSlots) return false;
    auto& slot = slots_[write_];
    std::memcpy(slot.data(), text.data(), n);
    slot[n] = '\0';
    write_ = (write_ + 1) % kSlots;
    ++count_;
    return true;
}

std::string CMessageQueue::get() {
    std::lock_guard lock(mutex_);
    if (count_ == 0) return " ";
    std::string text(slots_[read_].data());
    read_ = (read_ + 1) % kSlots;
    --count_;
    return text;
}

std::size_t CMessageQueue::count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

}  // namespace kestrune
