#pragma once
// The rubber rectangle a resize drag works on. For edge handles the
// coordinate that must not move is marked with a sentinel instead of a value.

#include "platform/geometry.h"

namespace kestrune {

struct ResizeTracker {
    static constexpr int kLockedX = 30000;  // horizontal position stays
    static constexpr int kLockedY = 29990;  // vertical position stays
    static constexpr int kModeResize = 3;

    Rect rect;
    int mode = 0;
};

}  // namespace kestrune
