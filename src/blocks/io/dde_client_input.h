#pragma once
// The DDE link of the output blocks: when their input is not wired and the
// link is on, their value comes from another program's item (service, topic,
// item, each kept in a 50-byte field). The link is subscribed at run start
// and dropped at stop (the DDE service releases every link at the end of a
// run); while it is open the scan takes its last text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "blocks/dde_link.h"
#include "blocks/dde_service.h"
#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

class DdeClientInput {
  public:
    // Each name is held in a 50-byte field: at most 49 characters.
    static constexpr std::size_t kNameLength = 49;
    // Pasting takes service and topic shorter than 50 characters and an item
    // shorter than 24.
    static constexpr std::size_t kPasteItemLength = 23;

    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    const DdeLinkNames& names() const { return names_; }
    // Each name cut to kNameLength.
    void setNames(DdeLinkNames names);

    // Paste DDE Link: takes the names of "Link" clipboard data and turns the
    // link on. False, nothing changed, for data without three names or with
    // names too long.
    bool paste(std::string_view clipboard);

    // Run start: subscribes when on and all three names are set.
    void connect(DdeService* dde, std::uint16_t type);
    void release() { link_ = nullptr; }
    bool connected() const { return link_ != nullptr; }
    // Scan thread: the link's last text while the link is on and open.
    std::optional<std::string> text() const;

    // The three names: each a 32-bit length and its characters.
    Status load(BinaryReader& in);
    void save(BinaryWriter& out) const;

  private:
    bool enabled_ = false;
    DdeLinkNames names_;
    DdeClientLink* link_ = nullptr;  // the service's, for the length of a run
};

}  // namespace kestrune
