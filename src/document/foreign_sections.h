#pragma once
// Display sections ("PWPL") and the main script section ("BSRP") belong to
// the display designer and the script editor. Until those can read them,
// the reader finds their ends by their framing and keeps them whole
// (opaque_section.h), so that the rest of the strategy still loads, a save
// writes them back, and they are reported as not loaded.
//
// "BSRP": u16 length of the rest of the section.
// "PWPL": u16 length of the header; then tagged item records (u16 length
// each) and "PBMP" (u32 size, then that many bytes) until "PEND"; then, if
// present, "FVKS" with a u16 count and that many u16 keys, and a u16 count of
// hotkeys with two u16 each.

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr FourCC kDisplaySectionTag = {'P', 'W', 'P', 'L'};
inline constexpr FourCC kScriptSectionTag = {'B', 'S', 'R', 'P'};

// Both are called after the section's tag. They answer 32910 naming the
// section in any case: it was not loaded. When the framing itself is broken
// the reader is failed as well, and the caller stops.
Status skipDisplaySection(BinaryReader& in);
Status skipScriptSection(BinaryReader& in);

}  // namespace kestrune
