#pragma once
// How a task designer window paints its task and finds what was clicked,
// without a window: captions first (when the view shows them), then every
// wire, then every block, each only where it meets the area being
// repainted. A wire is a blue polyline with black dots on its bends, an
// arrow head at its target end and, when selected, black squares on its
// points; its region (what a click finds and a repaint covers) is the
// union of its segments' boxes grown by 3, without the two boxes it joins
// but with a small square around its first point.
//
// The desktop program paints through its QPainter canvas; tests record.

#include <optional>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace kestrune {

class Block;
class GraphObject;
class StrategyTask;
class Wire;

// The colour of every wire.
inline constexpr Rgb kWireColour = rgb(0, 0, 255);

// Paints the objects of `task` that meet `area`.
void DrawTaskObjects(StrategyTask& task, Canvas& dc, const Rect& area);

// One wire as the task designer shows it.
void DrawWire(const Wire& wire, Canvas& dc);

// The bounding box of the wire's region (segments grown by 3, and the
// square around the first point); empty for a wire without points.
Rect WireRegionBounds(const Wire& wire);
// Whether `p` lies in the wire's region.
bool WireRegionContains(const Wire& wire, Point p);

// The object under `p`: the topmost block that HitTest finds, otherwise
// the topmost wire whose region holds the point; nullptr for none.
GraphObject* HitTestTask(StrategyTask& task, Point p);

// The box of the block a wire end names, when that node is a block.
std::optional<Rect> BlockBoxOf(const GraphObject* node);

}  // namespace kestrune
