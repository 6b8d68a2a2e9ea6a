#include "document/task_drawing.h"

#include <array>
#include <cstdlib>
#include <vector>

#include "document/strategy_task.h"
#include "taskmodel/block.h"
#include "taskmodel/handle_geometry.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

constexpr int kRegionMargin = 3;

Rect segmentBox(Point a, Point b) {
    return Rect{a.x, a.y, b.x, b.y}.normalized().inflated(kRegionMargin);
}

std::vector<Block*> blocksOf(StrategyTask& task) {
    std::vector<Block*> blocks;
    for (GraphObject* object : task.graph().objects().items())
        if (auto* block = dynamic_cast<Block*>(object)) blocks.push_back(block);
    return blocks;
}

// The eight pixels around a bend, so that joints read as dots at any zoom.
void drawJoint(Canvas& dc, Point p) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) dc.setPixel(p.offsetBy(dx, dy), colours::kBlack);
}

// Four strokes across the last segment, widening away from the tip.
void drawArrowHead(Canvas& dc, Point from, Point tip) {
    const int dx = tip.x - from.x;
    const int dy = tip.y - from.y;
    const bool vertical = std::abs(dy) > std::abs(dx);
    const int direction = vertical ? (dy >= 0 ? 1 : -1) : (dx >= 0 ? 1 : -1);
    constexpr std::array<int, 4> halfWidths = {1, 1, 2, 3};
    for (int i = 0; i < 4; ++i) {
        const int back = (i + 1) * direction;
        const int half = halfWidths[static_cast<std::size_t>(i)];
        if (vertical)
            dc.drawLine({tip.x - half, tip.y - back}, {tip.x + half + 1, tip.y - back});
        else
            dc.drawLine({tip.x - back, tip.y - half}, {tip.x - back, tip.y + half + 1});
    }
}

}  // namespace

std::optional<Rect> BlockBoxOf(const GraphObject* node) {
    if (const auto* block = dynamic_cast<const Block*>(node)) return block->box();
    return std::nullopt;
}

Rect WireRegionBounds(const Wire& wire) {
    const auto points = wire.points();
    if (points.empty()) return {};
    Rect bounds = HandleSquare(points.front());
    for (std::size_t i = 1; i < points.size(); ++i)
        bounds = bounds.united(segmentBox(points[i - 1], points[i]));
    return bounds;
}

bool WireRegionContains(const Wire& wire, Point p) {
    const auto points = wire.points();
    if (points.empty()) return false;
    bool inside = false;
    for (std::size_t i = 1; i < points.size() && !inside; ++i)
        inside = segmentBox(points[i - 1], points[i]).contains(p);
    if (const auto source = BlockBoxOf(wire.source()); inside && source && source->contains(p))
        inside = false;
    if (HandleSquare(points.front()).contains(p)) inside = true;
    if (const auto target = BlockBoxOf(wire.target()); target && target->contains(p)) inside = false;
    return inside;
}

void DrawWire(const Wire& wire, Canvas& dc) {
    const auto points = wire.points();
    if (points.size() < 2) return;
    CanvasSaver saver(dc);
    ClipScope clip(dc, WireRegionBounds(wire));
    dc.setPen(Pen{kWireColour, 1, PenStyle::Solid});
    dc.drawPolyline(points);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) drawJoint(dc, points[i]);
    if (wire.source() != nullptr && wire.target() != nullptr)
        drawArrowHead(dc, points[points.size() - 2], points.back());
    if (wire.hasFlag(kFlagSelected) && !wire.hasFlag(kFlagMoving))
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            dc.fillRect(HandleSquare(points[i]), colours::kBlack);
}

void DrawTaskObjects(StrategyTask& task, Canvas& dc, const Rect& area) {
    const std::vector<Block*> blocks = blocksOf(task);
    if (task.showCaptions())
        for (Block* block : blocks)
            if (block->Intersects(area)) block->DrawCaption(dc);
    for (Wire* wire : task.graph().wires())
        if (WireRegionBounds(*wire).intersects(area)) DrawWire(*wire, dc);
    for (Block* block : blocks)
        if (block->Intersects(area)) block->Draw(dc);
}

GraphObject* HitTestTask(StrategyTask& task, Point p) {
    const std::vector<GraphObject*> objects = task.graph().objects().items();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        auto* block = dynamic_cast<Block*>(*it);
        if (block != nullptr && isBlockKind(block->kind()) && block->HitTest(p.x, p.y) != 0) return block;
    }
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (const auto* wire = dynamic_cast<const Wire*>(*it)) {
            if (WireRegionContains(*wire, p)) return *it;
        } else if (auto* node = dynamic_cast<Node*>(*it); node != nullptr && node->HitTest(p.x, p.y) != 0) {
            return *it;
        }
    }
    return nullptr;
}

}  // namespace kestrune
