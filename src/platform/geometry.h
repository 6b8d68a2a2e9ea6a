#pragma once
// Points, sizes and rectangles in logical units (one unit is one pixel, origin
// top-left). A rectangle keeps the classic desktop convention that every
// stored geometry in the strategy file relies on: right and bottom are
// exclusive, so a 32 x 32 box at (10, 10) is {10, 10, 42, 42}. Helpers never
// reorder the corners on their own; call normalized() where a rectangle may be
// spanned backwards (a rubber band dragged up and left).

#include <algorithm>

namespace kestrune {

struct Point {
    int x = 0;
    int y = 0;

    constexpr Point offsetBy(int dx, int dy) const { return {x + dx, y + dy}; }
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;

    friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect fromSize(Point topLeft, Size size) {
        return {topLeft.x, topLeft.y, topLeft.x + size.width, topLeft.y + size.height};
    }
    // A box of `size` whose centre is `p`, with integer halves taken off the
    // point (how a block is placed on a click).
    static constexpr Rect centredAt(Point p, Size size) {
        return fromSize({p.x - size.width / 2, p.y - size.height / 2}, size);
    }

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr Size size() const { return {width(), height()}; }
    constexpr Point topLeft() const { return {left, top}; }
    constexpr Point bottomRight() const { return {right, bottom}; }
    // Integer halves of the sums, truncated like the handle midpoints.
    constexpr Point centre() const { return {(left + right) / 2, (top + bottom) / 2}; }

    // No area: zero or negative width or height.
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr Rect normalized() const {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    constexpr Rect inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    constexpr Rect inflated(int d) const { return inflated(d, d); }
    constexpr Rect offsetBy(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    // Right and bottom edges are outside the rectangle.
    constexpr bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // `r` lies completely inside (edges may touch).
    constexpr bool contains(const Rect& r) const {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }
    // True only when the common part has an area: rectangles that merely touch
    // along an edge, and empty rectangles, meet nothing.
    constexpr bool intersects(const Rect& r) const { return !intersected(r).isEmpty(); }
    // The common part, or the empty rectangle {0, 0, 0, 0} when there is none.
    constexpr Rect intersected(const Rect& r) const {
        const Rect c{std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
                     std::min(bottom, r.bottom)};
        return c.isEmpty() || isEmpty() || r.isEmpty() ? Rect{} : c;
    }
    // The smallest rectangle holding both; an empty operand does not count,
    // and two empty operands give {0, 0, 0, 0}.
    constexpr Rect united(const Rect& r) const {
        if (r.isEmpty()) return isEmpty() ? Rect{} : *this;
        if (isEmpty()) return r;
        return extended(r);
    }
    // Plain min/max growth, empty or not: a bounds box started at {0, 0, 0, 0}
    // keeps the origin in it.
    constexpr Rect extended(const Rect& r) const {
        return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right),
                std::max(bottom, r.bottom)};
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace kestrune
