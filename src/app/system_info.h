#pragma once
// The fixed tag-database entries of the application: task "TASK0" with the
// integer tag "SYSINFO", whose bit 0 says that the application has started
// and bit 1 that a strategy runs (other programs and scripts read them), and
// the task "VIRTASK" of the virtual tags.

#include <cstdint>

#include "platform/status.h"

namespace kestrune {

class TagDatabase;

// Start-up: "TASK0" with "SYSINFO" (type 1, one element) holding 1.
Code createSystemInfo(TagDatabase& tags);
// Start-up: "VIRTASK".
Code createVirtualTask(TagDatabase& tags);
// Exit: the tag "SYSINFO", then the tasks "TASK0" and "VIRTASK".
void removeSystemEntries(TagDatabase& tags);

// Sets or clears `bit` (kSystemInfoStarted, kSystemInfoRunning) and leaves
// the other bits as they are.
Code setSystemInfoBit(TagDatabase& tags, std::int32_t bit, bool on);
// The whole value; 0 when the tag is missing.
std::int32_t systemInfo(const TagDatabase& tags);

}  // namespace kestrune
