#pragma once
// One value of an input block offered to other programs through this
// program's DDE service: channel 0 of the analog input, the port value of the
// digital input. The item is named by the block's tag under the strategy's
// topic.
//
// The item is offered when the block is loaded with the flag on, when the
// dialog turns the flag on and, for a block that has none yet, when a run
// starts; it is withdrawn when the dialog turns the flag off and when the
// block goes. A strategy saved under another name moves it to the new topic.
//
// Threads: offering and withdrawing belong to the user-interface thread. The
// scan thread turns a changed value into the item's text under the block's
// lock and the block posts message 1051; the main thread then sends the text
// to the service under the same lock.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "blocks/dde_service.h"

namespace kestrune {

class DdeServerItem {
  public:
    // `type` is the item's value type (2 float, 1 integer); `lock` the block's.
    DdeServerItem(std::uint16_t type, std::mutex& lock) : type_(type), lock_(lock) {}
    DdeServerItem(const DdeServerItem&) = delete;
    DdeServerItem& operator=(const DdeServerItem&) = delete;

    bool enabled() const { return enabled_.load(); }
    // The flag alone (loading, copying): nothing is offered or withdrawn.
    void setEnabled(bool on) { enabled_.store(on); }
    // The dialog's switch: on offers the item, off withdraws it.
    void switchTo(bool on, DdeService* dde, std::string_view name);

    // With the flag on, offers the item under the service's topic and `name`
    // unless it is offered there already; an offer under an older topic or
    // name is withdrawn first. Nothing without a service or a topic.
    void offer(DdeService* dde, std::string_view name);
    void withdraw(DdeService* dde);
    bool offered() const { return handle_.load() != 0; }
    const std::string& offeredTopic() const { return topic_; }

    // Scan thread: true when the value differs from the last one sent; the
    // item's text ("%f", "%d") is then ready for the service.
    bool changed(float value);
    bool changed(std::int32_t value);
    // Main thread, on message 1051: sends the text.
    void update(DdeService* dde) const;
    std::string text() const;

    // Copy DDE Link: offers the item (once) and returns the "Link" clipboard
    // data naming this program, the topic and `name`; the flag turns on.
    // Empty, changing nothing, while the strategy has no topic.
    std::string copyLink(DdeService* dde, std::string_view name);

  private:
    bool takeText(double value, std::string text);

    const std::uint16_t type_;
    std::mutex& lock_;
    std::atomic<bool> enabled_{false};
    std::atomic<DdeItemHandle> handle_{0};
    std::string topic_;  // where the item is offered
    std::string name_;
    std::optional<double> lastSent_;  // the scan thread's
    std::string text_;                // under lock_
};

}  // namespace kestrune
