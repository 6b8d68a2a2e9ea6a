#pragma once
// The resize handles of a selected box and what a press on one of them
// means. The hit codes are shared by everything drawn in a designer: 0 misses,
// 1 is the body, 2 to 9 the handles. Handles are tried in a fixed order so
// that, on a box too small for the squares to stay apart, the same handle
// always wins.

#include <array>

#include "platform/canvas.h"
#include "platform/geometry.h"
#include "taskmodel/resize_tracker.h"

namespace kestrune {

inline constexpr int kHitNone = 0;
inline constexpr int kHitInside = 1;
inline constexpr int kHandleTopLeft = 2;
inline constexpr int kHandleTopRight = 3;
inline constexpr int kHandleBottomRight = 4;
inline constexpr int kHandleBottomLeft = 5;
inline constexpr int kHandleTopMiddle = 6;
inline constexpr int kHandleLeftMiddle = 7;
inline constexpr int kHandleRightMiddle = 8;
inline constexpr int kHandleBottomMiddle = 9;

// A press this far (or nearer) from a handle point in x and in y takes it.
inline constexpr int kHandleReach = 3;
// Side of the square drawn on a handle point.
inline constexpr int kHandleSize = 6;

struct Handle {
    int code = 0;
    Point at;
};

// The eight handle points in the order they are tried: top-left, top-middle,
// top-right, right-middle, left-middle, bottom-left, bottom-middle,
// bottom-right. Middles are the integer halves of the edges' sums.
std::array<Handle, 8> HandlePoints(const Rect& box);

// The code of the first handle within reach of `p`, or kHitNone.
int HandleAt(const Rect& box, Point p);

// The kHandleSize square centred on `centre`.
Rect HandleSquare(Point centre);

// Black squares on the four corners of `box`.
void DrawCornerHandles(Canvas& dc, const Rect& box);

// The rubber rectangle for a resize that starts on handle `hitCode`:
// (left, top) is the fixed point and (right, bottom) the point that follows
// the pointer. A corner handle fixes the opposite corner. An edge handle
// fixes the opposite edge, and the coordinate of the moving point that must
// stay is the sentinel ResizeTracker::kLockedX or kLockedY. The mode is
// kModeResize; a hit code that is no handle gives mode 0 and the box itself.
ResizeTracker TrackerForHandle(const Rect& box, int hitCode);

// The box a resize gives when the pointer is at `pointer`: the locked
// coordinates keep the box's own span; the result is normalised.
Rect TrackedRect(const Rect& box, const ResizeTracker& tracker, Point pointer);

}  // namespace kestrune
