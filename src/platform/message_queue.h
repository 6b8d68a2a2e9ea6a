#pragma once
// A small bounded queue of texts, filled from any thread and emptied by the
// main thread: the error messages waiting for a message box, the event lines
// waiting to be written or printed, the run errors waiting for the log. It
// never allocates and never blocks for longer than a copy: a full queue
// drops the new text and says so, which the callers accept (a flood of
// errors must not stall a scan).

#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace kestrune {

class CMessageQueue {
  public:
    static constexpr std::size_t kSlots = 50;
    static constexpr std::size_t kSlotSize = 256;
    static constexpr std::size_t kMaxText = kSlotSize - 1;

    // Copies at most kMaxText bytes (up to a zero byte, and never splitting
    // a UTF-8 character). False when all slots are taken: the text is lost.
    bool put(std::string_view text);
    // The oldest text, or a single blank when the queue is empty.
    std::string get();

    std::size_t count() const;
    bool empty() const { return count() == 0; }

  private:
    mutable std::mutex mutex_;
    std::array<std::array<char, kSlotSize>, kSlots> slots_{};
    std::size_t write_ = 0;
    std::size_t read_ = 0;
    std::size_t count_ = 0;
};

// The length of the longest prefix of `text` of at most `limit` bytes that
// does not end inside a UTF-8 character. Bytes that are not UTF-8 (texts of
// older files) are cut at the limit.
std::size_t utf8PrefixLength(std::string_view text, std::size_t limit);

}  // namespace kestrune
