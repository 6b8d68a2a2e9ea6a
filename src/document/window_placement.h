#pragma once
// Where a task or display window sat in the main window: the record stored
// after "SWPL" for every task (and inside display and script sections). A
// 16-bit length (48), then flags, show command, minimised position, maximised
// position, normal rectangle and two reserved zeros, 32 bits each. The core
// only keeps it; the desktop program applies it to the window's frame.

#include <cstdint>

#include "platform/binary_stream.h"
#include "platform/geometry.h"
#include "platform/status.h"

namespace kestrune {

struct WindowPlacement {
    static constexpr std::uint16_t kLength = 48;
    // Show commands the desktop program maps to its window states.
    static constexpr std::int32_t kShowNormal = 1;
    static constexpr std::int32_t kShowMinimized = 2;
    static constexpr std::int32_t kShowMaximized = 3;

    std::int32_t flags = 0;
    std::int32_t showCommand = kShowNormal;
    Point minPosition{-1, -1};
    Point maxPosition{-1, -1};
    Rect normal{0, 0, 640, 480};

    // Length and body.
    void write(BinaryWriter& out) const;
    // Length and body; a longer record is skipped to its end, a shorter one
    // (or one past the end of the data) gives 32910 and where.
    Status read(BinaryReader& in);

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

}  // namespace kestrune
