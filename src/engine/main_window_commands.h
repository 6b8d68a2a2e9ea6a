#pragma once
// Menu commands that other threads post to the main window as if chosen
// from its menu: message kMsgCommand with the command id as wParam.

#include <cstdint>

#include "platform/main_window_messages.h"

namespace kestrune {

inline constexpr MessageId kMsgCommand = 0x111;
// Stop the run (a block asked for it with result 5).
inline constexpr std::uint64_t kCmdStopRun = 32797;

}  // namespace kestrune
