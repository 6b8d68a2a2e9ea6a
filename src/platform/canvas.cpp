#include "platform/canvas.h"

namespace kestrune {

void Canvas::setPen(const Pen& pen) {
    state_.pen = pen;
    changed(Change::Pen);
}

void Canvas::setBrush(const Brush& brush) {
    state_.brush = brush;
    changed(Change::Brush);
}

void Canvas::setFont(const LogFont& font) {
    state_.font = font;
    changed(Change::Font);
}

void Canvas::setTextColour(Rgb colour) {
    state_.textColour = colour;
    changed(Change::TextColour);
}

void Canvas::setBackgroundColour(Rgb colour) {
    state_.backgroundColour = colour;
    changed(Change::Background);
}

void Canvas::setBackgroundMode(BackgroundMode mode) {
    state_.backgroundMode = mode;
    changed(Change::Background);
}

void Canvas::setRasterOp(RasterOp op) {
    state_.rasterOp = op;
    changed(Change::RasterOp);
}

void Canvas::save() {
    saved_.push_back(state_);
    changed(Change::Save);
}

void Canvas::restore() {
    if (saved_.empty()) return;
    state_ = saved_.back();
    saved_.pop_back();
    changed(Change::Restore);
}

void Canvas::pushClip(const Rect& r) {
    const Rect wanted = r.normalized();
    // An empty intersection must stay empty rather than become "unclipped".
    Rect effective = clips_.empty() ? wanted : clips_.back().intersected(wanted);
    if (effective.isEmpty()) effective = Rect{};
    clips_.push_back(effective);
    changed(Change::PushClip);
}

void Canvas::popClip() {
    if (clips_.empty()) return;
    clips_.pop_back();
    changed(Change::PopClip);
}

std::optional<Rect> Canvas::clipRect() const {
    if (clips_.empty()) return std::nullopt;
    return clips_.back();
}

}  // namespace kestrune
