#pragma once
// What blocks ask of the DDE service. The service itself (the server
// component that offers this program's values, the client links to other
// programs' items) belongs to the exchange layer; blocks only see these
// operations, so that they can be built and tested without it.
//
// Server side: a block offers one value as an item under the strategy's
// topic; the value's text goes to the service on the main thread only. A
// scan thread that has a new text posts message 1051 (wParam 3, lParam the
// block) and the main window calls UpdateDdeServer of the block, which is a
// DdeServerFeed.
//
// Client side: a block subscribes to (service, topic, item) and reads the
// last text that arrived. Links are owned by the service and stay valid until
// it releases them all at the end of the run.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune {

// Value types of DDE items and links: the tag type codes.
inline constexpr std::uint16_t kDdeTypeAny = 0;
inline constexpr std::uint16_t kDdeTypeInteger = 1;
inline constexpr std::uint16_t kDdeTypeFloat = 2;
inline constexpr std::uint16_t kDdeTypeString = 4;

// wParam of message 1051.
inline constexpr std::uint64_t kDdeServerUpdateParam = 3;

// The service name this program serves under.
inline constexpr std::string_view kDdeOwnService = "Kestrune";

using DdeItemHandle = std::uint32_t;  // 0: not offered

class DdeClientLink {
  public:
    virtual ~DdeClientLink() = default;
    // False once the conversation failed or the server went away.
    virtual bool isOpen() const = 0;
    // The last text received, at most 127 characters. Any thread.
    virtual std::string text() const = 0;
};

class DdeService {
  public:
    virtual ~DdeService() = default;

    // The topic this program serves: the strategy's name, empty while the
    // strategy has none (never saved).
    virtual std::string topic() const = 0;

    // Offers `item` under `topic`; the handle, or 0 when it was refused.
    virtual DdeItemHandle offerItem(std::string_view topic, std::string_view item, std::uint16_t type) = 0;
    // Withdraws an offered item.
    virtual bool withdrawItem(std::string_view topic, std::string_view item) = 0;
    // The new text of an offered item. Main thread only.
    virtual bool updateItem(DdeItemHandle item, std::uint16_t type, std::string_view text) = 0;

    // A link to another program's item with its advise loop started, shared
    // with every subscriber of the same names; null when there is none (the
    // user declined to start the server, or it could not be reached).
    virtual DdeClientLink* subscribe(std::string_view service, std::string_view topic, std::string_view item,
                                     std::uint16_t type) = 0;
};

// A block whose value the main window sends to the DDE service when the
// block posts message 1051.
class DdeServerFeed {
  public:
    virtual ~DdeServerFeed() = default;
    // Main thread.
    virtual void UpdateDdeServer() = 0;
    // The strategy was saved under another name: an offered item moves from
    // the old topic to the service's new one. User-interface thread.
    virtual void DdeTopicChanged() {}
};

}  // namespace kestrune
