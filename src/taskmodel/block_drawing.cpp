// Block: drawing on the task designer's canvas, hit testing and geometry.

#include "taskmodel/block.h"

#include <string>

#include "resources/tool_icons.h"
#include "taskmodel/handle_geometry.h"
#include "taskmodel/node_host.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

// Invalidation covers the handles, which stick out of the box by half their size.
constexpr int kInvalidateMargin = kHandleSize / 2;

// The white strip an order number is drawn on: 15 units high, one less on a
// box too short for that.
Rect orderStrip(const Rect& box) {
    const int bottom = box.height() < 17 ? box.top + 15 : box.top + 16;
    return {box.left + 1, box.top + 1, box.right - 1, bottom};
}

void drawCaptionWith(Canvas& dc, const LogFont& font, const Rect& area, std::string_view caption) {
    CanvasSaver saver(dc);
    dc.setFont(font);
    dc.setTextColour(colours::kBlack);
    dc.setBackgroundMode(BackgroundMode::Transparent);
    TextFormat format;
    format.horizontal = HAlign::Centre;
    format.vertical = VAlign::Centre;
    format.wordBreak = true;
    dc.drawTextInRect(area, caption, format);
}

}  // namespace

void Block::Draw(Canvas& dc) {
    if (iconId_ != 0) dc.drawBitmap(iconId_, Rect::fromSize(box_.topLeft(), toolIconSize()));
    if (host() != nullptr && host()->showOrderNumbers()) DrawOrder(dc);
    if (hasFlag(kFlagSelected) && !hasFlag(kFlagMoving)) DrawHandles(dc);
}

void Block::Invalidate(Canvas& dc) {
    dc.invalidate(box_.inflated(kInvalidateMargin), true);
}

void Block::InvalidateArea(Canvas& dc) {
    dc.invalidate(box_.inflated(kInvalidateMargin), true);
}

void Block::DrawHandles(Canvas& dc) {
    if (hasFlag(kFlagSelected)) DrawCornerHandles(dc, box_);
}

void Block::DrawFrame(Canvas& dc) {
    CanvasSaver saver(dc);
    dc.setPen(Pen{});
    dc.setBrush(Brush::hollow());
    dc.drawRect(box_);
}

void Block::DrawOrder(Canvas& dc) {
    const Rect strip = orderStrip(box_);
    dc.fillRect(strip, colours::kWhite);
    CanvasSaver saver(dc);
    dc.setFont(font_);
    dc.setTextColour(colours::kBlack);
    dc.setBackgroundMode(BackgroundMode::Transparent);
    TextFormat format;
    format.horizontal = HAlign::Centre;
    format.singleLine = true;
    dc.drawTextInRect(strip, std::to_string(order()), format);
}

void Block::DrawCaption(Canvas& dc) {
    drawCaptionWith(dc, font_, captionRect_, caption_);
}

void Block::DrawCaptionPlain(Canvas& dc) {
    if (host() == nullptr || host()->captionsUseNodeFont()) {
        DrawCaption(dc);
        return;
    }
    LogFont plain;  // the device's default font, made small
    plain.height = 10;
    plain.width = 6;
    plain.quality = 4;
    drawCaptionWith(dc, plain, captionRect_, caption_);
}

void Block::MoveTo(const Rect& rect) {
    setFlag(kFlagMoving);
    box_ = rect;
    for (Wire* wire : incomingWires()) wire->setFlag(kFlagMoving);
    for (Wire* wire : outgoingWires()) wire->setFlag(kFlagMoving);
}

void Block::EndMove(Canvas& dc) {
    dc.invalidate(captionRect_, true);
    captionRect_ = CaptionRectFor(box_);
    dc.invalidate(captionRect_, true);
    setFlag(kFlagMoving, false);
}

int Block::HitTest(int x, int y) {
    const Point p{x, y};
    int code = hasFlag(kFlagSelected) ? HandleAt(box_, p) : kHitNone;
    if (code == kHitNone && box_.contains(p)) code = kHitInside;
    setHitCode(code);
    return code != kHitNone ? 1 : 0;
}

void Block::ExtendBounds(Rect& bounds) const {
    bounds = bounds.extended(box_);
}

bool Block::Intersects(const Rect& rect) const {
    return rect.intersects(box_) || rect.intersects(captionRect_);
}

bool Block::IsInside(const Rect& rect) const {
    return rect.contains(box_);
}

void Block::TrackRect(ResizeTracker& out) const {
    out = TrackerForHandle(box_, hitCode());
}

}  // namespace kestrune
