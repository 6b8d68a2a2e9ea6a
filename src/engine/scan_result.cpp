#include "engine/scan_result.h"

#include <cstdint>

#include "engine/main_window_commands.h"
#include "taskmodel/node.h"

namespace kestrune {

void postRunError(MainQueue& queue, Code code, const Node& node) {
    // The code travels as its 32 bits, so the main window reads a negative
    // device code back unchanged.
    queue.post(kMsgRunErrorReport, static_cast<std::uint32_t>(code), toParam(&node));
}

void reportScanResult(MainQueue& queue, Code result, const Node& node) {
    switch (result) {
        case kOk:
        case kScanResultQuiet:
            return;
        case kScanResultStopRun:
            queue.post(kMsgCommand, kCmdStopRun, 0);
            return;
        default:
            postRunError(queue, result, node);
    }
}

}  // namespace kestrune
