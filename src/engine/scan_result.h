#pragma once
// What a task does with the result of one node's scan: 0 and 4 are quiet,
// 5 asks the main window to stop the run, anything else is a run error that
// the main window counts and reports, naming the node.

#include "platform/main_queue.h"
#include "platform/status.h"

namespace kestrune {

class Node;

// A scan result that stops the run (posted as the Stop command).
inline constexpr Code kScanResultStopRun = 5;
// A scan result that reports nothing.
inline constexpr Code kScanResultQuiet = 4;

// Posts what `result` of `node` calls for. Any thread.
void reportScanResult(MainQueue& queue, Code result, const Node& node);

// A run error of `node` (message 0x415: wParam the code, lParam the node).
void postRunError(MainQueue& queue, Code code, const Node& node);

}  // namespace kestrune
