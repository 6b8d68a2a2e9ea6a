#pragma once
// A display section ("PWPL") or the main script section ("BSRP") kept as the
// file had it, until the display designer and the script editor can read
// them: its tag, its bytes and its place among the task sections. A save
// writes it back byte for byte in that place, so that opening and saving a
// strategy never loses a display or the script.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

struct OpaqueSection {
    FourCC tag{};
    // How many task sections come before it; one past the last task puts it
    // after them all.
    std::size_t tasksBefore = 0;
    // Everything after the tag, up to the next section.
    std::vector<std::uint8_t> bytes;

    void write(BinaryWriter& out) const;
    bool operator==(const OpaqueSection&) const = default;
};

bool isOpaqueSectionTag(const FourCC& tag);

// Reads a section of either tag after the tag. The answer is 32910 naming
// the section in any case (it was not loaded); `kept` holds the section when
// its framing is whole. When the framing is broken the reader is failed and
// nothing is kept.
Status readOpaqueSection(BinaryReader& in, const FourCC& tag, std::size_t tasksBefore,
                         std::optional<OpaqueSection>& kept);

}  // namespace kestrune
