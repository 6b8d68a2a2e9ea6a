#include "taskmodel/handle_geometry.h"

#include <cstdlib>

namespace kestrune {

std::array<Handle, 8> HandlePoints(const Rect& box) {
    const Point mid = box.centre();
    return {{
        {kHandleTopLeft, {box.left, box.top}},
        {kHandleTopMiddle, {mid.x, box.top}},
        {kHandleTopRight, {box.right, box.top}},
        {kHandleRightMiddle, {box.right, mid.y}},
        {kHandleLeftMiddle, {box.left, mid.y}},
        {kHandleBottomLeft, {box.left, box.bottom}},
        {kHandleBottomMiddle, {mid.x, box.bottom}},
        {kHandleBottomRight, {box.right, box.bottom}},
    }};
}

int HandleAt(const Rect& box, Point p) {
    for (const Handle& h : HandlePoints(box)) {
        if (std::abs(p.x - h.at.x) <= kHandleReach && std::abs(p.y - h.at.y) <= kHandleReach) return h.code;
    }
    return kHitNone;
}

Rect HandleSquare(Point centre) {
    constexpr int half = kHandleSize / 2;
    return {centre.x - half, centre.y - half, centre.x + half, centre.y + half};
}

void DrawCornerHandles(Canvas& dc, const Rect& box) {
    for (const Point corner :
         {box.topLeft(), Point{box.right, box.top}, Point{box.left, box.bottom}, box.bottomRight()}) {
        dc.fillRect(HandleSquare(corner), colours::kBlack);
    }
}

ResizeTracker TrackerForHandle(const Rect& box, int hitCode) {
    constexpr int lockX = ResizeTracker::kLockedX;
    constexpr int lockY = ResizeTracker::kLockedY;
    ResizeTracker t;
    t.mode = ResizeTracker::kModeResize;
    switch (hitCode) {
        case kHandleTopLeft:
            t.rect = {box.right, box.bottom, box.left, box.top};
            break;
        case kHandleTopRight:
            t.rect = {box.left, box.bottom, box.right, box.top};
            break;
        case kHandleBottomRight:
            t.rect = {box.left, box.top, box.right, box.bottom};
            break;
        case kHandleBottomLeft:
            t.rect = {box.right, box.top, box.left, box.bottom};
            break;
        case kHandleTopMiddle:
            t.rect = {box.left, box.bottom, lockX, box.top};
            break;
        case kHandleBottomMiddle:
            t.rect = {box.left, box.top, lockX, box.bottom};
            break;
        case kHandleLeftMiddle:
            t.rect = {box.right, box.top, box.left, lockY};
            break;
        case kHandleRightMiddle:
            t.rect = {box.left, box.top, box.right, lockY};
            break;
        default:
            t.rect = box;
            t.mode = 0;
            break;
    }
    return t;
}

Rect TrackedRect(const Rect& box, const ResizeTracker& tracker, Point pointer) {
    if (tracker.mode != ResizeTracker::kModeResize) return box;
    Rect r{tracker.rect.left, tracker.rect.top, pointer.x, pointer.y};
    if (tracker.rect.right == ResizeTracker::kLockedX) {
        r.left = box.left;
        r.right = box.right;
    }
    if (tracker.rect.bottom == ResizeTracker::kLockedY) {
        r.top = box.top;
        r.bottom = box.bottom;
    }
    return r.normalized();
}

}  // namespace kestrune
