#pragma once
// The messages other threads post to the main window (through MainQueue).
// The numbers are the private message numbers the program has always used,
// counted from the user message base 0x400, so that logs and traces read the
// same; wParam and lParam carry what each one's comment says.

#include <cstdint>

namespace kestrune {

using MessageId = std::uint32_t;

inline constexpr MessageId kMsgUserBase = 0x400;

// The run-error count passed the allowed number: stop the run.
inline constexpr MessageId kMsgErrorLimitReached = 0x411;  // 1041
// A run error: wParam the code, lParam the node that reported it (or 0).
inline constexpr MessageId kMsgRunErrorReport = 0x415;  // 1045
// Start (wParam 1) or stop (wParam 0) the task in lParam.
inline constexpr MessageId kMsgTaskStartStop = 0x416;  // 1046
// A network notification: wParam the message number, lParam the object naming the node.
inline constexpr MessageId kMsgNetworkNotification = 0x417;  // 1047
// Append the pending event log lines to the working file.
inline constexpr MessageId kMsgWriteEventLines = 0x418;  // 1048
// Print the pending event log lines.
inline constexpr MessageId kMsgPrintEventLines = 0x419;  // 1049
// Write the oldest queued run error to the run-error log.
inline constexpr MessageId kMsgWriteRunError = 0x41A;  // 1050
// A DDE server block's value changed: lParam the block.
inline constexpr MessageId kMsgDdeServerValueChanged = 0x41B;  // 1051
// Play wave file number wParam of the sound block in lParam.
inline constexpr MessageId kMsgPlayWaveFile = 0x41C;  // 1052
// Acknowledge event line number wParam.
inline constexpr MessageId kMsgAcknowledgeEventLine = 0x41D;  // 1053
// Switch to display number wParam.
inline constexpr MessageId kMsgSwitchToDisplay = 0x432;  // 1074
// Open the login dialog to unlock the operator lock.
inline constexpr MessageId kMsgLoginToUnlock = 0x469;  // 1129
// Show the next text of the error message queue in a message box.
inline constexpr MessageId kMsgShowNextErrorMessage = 0x4CF;  // 1231
// Begin the run stop (from blocks, scripts and failed starts).
inline constexpr MessageId kMsgBeginRunStop = 0x4D0;  // 1232
// Finish the run stop once every task has stopped (retried until then).
inline constexpr MessageId kMsgFinishRunStop = 0x4D1;  // 1233
// After the run stopped: close the strategy.
inline constexpr MessageId kMsgCloseAfterStop = 0x4D2;  // 1234
// After the run stopped: exit the program.
inline constexpr MessageId kMsgExitAfterStop = 0x4D3;  // 1235

// To a display window rather than the main window: redraw the items whose
// redraw-pending flag is set.
inline constexpr MessageId kMsgRedrawPendingItems = 0x433;  // 1075

}  // namespace kestrune
