#include "platform/recording_canvas.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace kestrune {
namespace {

std::string hex(Rgb c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

std::string str(const Rect& r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "{%d,%d,%d,%d}", r.left, r.top, r.right, r.bottom);
    return buf;
}

std::string str(const std::vector<Point>& pts) {
    std::string s;
    for (const Point& p : pts) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

const char* str(PenStyle s) {
    switch (s) {
        case PenStyle::Solid:
            return "solid";
        case PenStyle::Dash:
            return "dash";
        case PenStyle::Dot:
            return "dot";
        case PenStyle::Null:
            return "null";
    }
    return "?";
}

std::string str(const Pen& p) {
    return "pen " + hex(p.colour) + " " + std::to_string(p.width) + " " + str(p.style);
}

std::string str(const Brush& b) {
    return b.style == BrushStyle::Null ? std::string("brush hollow") : "brush " + hex(b.colour);
}

std::string str(const TextFormat& f) {
    static const char* const h[] = {"left", "centre", "right"};
    static const char* const v[] = {"top", "vcentre", "bottom"};
    std::string s = std::string(h[static_cast<int>(f.horizontal)]) + " " + v[static_cast<int>(f.vertical)];
    if (f.singleLine) s += " single";
    if (f.wordBreak) s += " wrap";
    if (!f.clip) s += " noclip";
    return s;
}

std::string str(const LogFont& f) {
    if (f.isDefault()) return "font default";
    return "font '" + f.face() + "' " + std::to_string(f.height) + " w" + std::to_string(f.weight);
}

std::string textState(const CanvasState& s) {
    std::string t = str(s.font) + " text " + hex(s.textColour);
    if (s.backgroundMode == BackgroundMode::Opaque) t += " on " + hex(s.backgroundColour);
    return t;
}

bool isDrawing(CanvasOp op) {
    return op >= CanvasOp::Line && op <= CanvasOp::Bitmap;
}

// Characters, not bytes: continuation bytes of UTF-8 sequences do not count.
int characterCount(std::string_view text) {
    return static_cast<int>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

const char* toString(CanvasOp op) {
    static const char* const names[] = {
        "SetPen",  "SetBrush",  "SetFont",  "SetTextColour", "SetBackground", "SetRasterOp",
        "Save",    "Restore",   "PushClip", "PopClip",       "Line",          "Polyline",
        "Polygon", "Rectangle", "FillRect", "RoundRect",     "Ellipse",       "Arc",
        "Pie",     "Pixel",     "TextAt",   "TextInRect",    "Bitmap",        "Invalidate",
    };
    const auto i = static_cast<std::size_t>(op);
    return i < std::size(names) ? names[i] : "?";
}

std::string CanvasCall::describe() const {
    std::string s = toString(op);
    const auto shape = [&] { return " " + str(rect) + " " + str(state.pen) + " " + str(state.brush); };
    switch (op) {
        case CanvasOp::SetPen:
            s += " " + str(state.pen);
            break;
        case CanvasOp::SetBrush:
            s += " " + str(state.brush);
            break;
        case CanvasOp::SetFont:
            s += " " + str(state.font);
            break;
        case CanvasOp::SetTextColour:
            s += " " + hex(state.textColour);
            break;
        case CanvasOp::SetBackground:
            s += std::string(state.backgroundMode == BackgroundMode::Opaque ? " opaque " : " transparent ") +
                 hex(state.backgroundColour);
            break;
        case CanvasOp::SetRasterOp:
            s += " " + std::to_string(static_cast<int>(state.rasterOp));
            break;
        case CanvasOp::PushClip:
            s += " " + str(rect);
            break;
        case CanvasOp::Save:
        case CanvasOp::Restore:
        case CanvasOp::PopClip:
            break;
        case CanvasOp::Line:
        case CanvasOp::Polyline:
            s += " " + str(points) + " " + str(state.pen);
            break;
        case CanvasOp::Polygon:
            s += " " + str(points) + " " + str(state.pen) + " " + str(state.brush);
            break;
        case CanvasOp::Rectangle:
        case CanvasOp::Ellipse:
            s += shape();
            break;
        case CanvasOp::RoundRect:
            s += shape() + " corner " + std::to_string(a) + "x" + std::to_string(b);
            break;
        case CanvasOp::Arc:
        case CanvasOp::Pie:
            s += shape() + " from " + std::to_string(startDegrees) + " sweep " + std::to_string(sweepDegrees);
            break;
        case CanvasOp::FillRect:
            s += " " + str(rect) + " " + hex(colour);
            break;
        case CanvasOp::Pixel:
            s += " " + str(points) + " " + hex(colour);
            break;
        case CanvasOp::TextAt:
            s += " " + str(points) + " \"" + text + "\" " + textState(state);
            break;
        case CanvasOp::TextInRect:
            s += " " + str(rect) + " \"" + text + "\" " + str(format) + " " + textState(state);
            break;
        case CanvasOp::Bitmap:
            s += " " + std::to_string(a) + " " + str(rect);
            break;
        case CanvasOp::Invalidate:
            s += " " + str(rect) + (a ? " erase" : "");
            break;
    }
    if (clip && isDrawing(op)) s += " clip " + str(*clip);
    return s;
}

CanvasCall& RecordingCanvas::record(CanvasOp op) {
    CanvasCall& c = calls_.emplace_back();
    c.op = op;
    c.state = state();
    c.clip = clipRect();
    return c;
}

void RecordingCanvas::changed(Change what) {
    switch (what) {
        case Change::Pen:
            record(CanvasOp::SetPen);
            break;
        case Change::Brush:
            record(CanvasOp::SetBrush);
            break;
        case Change::Font:
            record(CanvasOp::SetFont);
            break;
        case Change::TextColour:
            record(CanvasOp::SetTextColour);
            break;
        case Change::Background:
            record(CanvasOp::SetBackground);
            break;
        case Change::RasterOp:
            record(CanvasOp::SetRasterOp);
            break;
        case Change::Save:
            record(CanvasOp::Save);
            break;
        case Change::Restore:
            record(CanvasOp::Restore);
            break;
        case Change::PushClip:
            record(CanvasOp::PushClip).rect = clipRect().value_or(Rect{});
            break;
        case Change::PopClip:
            record(CanvasOp::PopClip);
            break;
    }
}

void RecordingCanvas::drawLine(Point from, Point to) {
    record(CanvasOp::Line).points = {from, to};
}

void RecordingCanvas::drawPolyline(std::span<const Point> points) {
    record(CanvasOp::Polyline).points.assign(points.begin(), points.end());
}

void RecordingCanvas::drawPolygon(std::span<const Point> points) {
    record(CanvasOp::Polygon).points.assign(points.begin(), points.end());
}

void RecordingCanvas::drawRect(const Rect& r) {
    record(CanvasOp::Rectangle).rect = r;
}

void RecordingCanvas::fillRect(const Rect& r, Rgb colour) {
    CanvasCall& c = record(CanvasOp::FillRect);
    c.rect = r;
    c.colour = colour;
}

void RecordingCanvas::drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
    CanvasCall& c = record(CanvasOp::RoundRect);
    c.rect = r;
    c.a = cornerWidth;
    c.b = cornerHeight;
}

void RecordingCanvas::drawEllipse(const Rect& bounds) {
    record(CanvasOp::Ellipse).rect = bounds;
}

void RecordingCanvas::drawArc(const Rect& bounds, double startDegrees, double sweepDegrees) {
    CanvasCall& c = record(CanvasOp::Arc);
    c.rect = bounds;
    c.startDegrees = startDegrees;
    c.sweepDegrees = sweepDegrees;
}

void RecordingCanvas::drawPie(const Rect& bounds, double startDegrees, double sweepDegrees) {
    CanvasCall& c = record(CanvasOp::Pie);
    c.rect = bounds;
    c.startDegrees = startDegrees;
    c.sweepDegrees = sweepDegrees;
}

void RecordingCanvas::setPixel(Point p, Rgb colour) {
    CanvasCall& c = record(CanvasOp::Pixel);
    c.points = {p};
    c.colour = colour;
}

void RecordingCanvas::drawTextAt(Point topLeft, std::string_view text) {
    CanvasCall& c = record(CanvasOp::TextAt);
    c.points = {topLeft};
    c.text = text;
}

void RecordingCanvas::drawTextInRect(const Rect& r, std::string_view text, const TextFormat& format) {
    CanvasCall& c = record(CanvasOp::TextInRect);
    c.rect = r;
    c.text = text;
    c.format = format;
}

Size RecordingCanvas::cellSize(const LogFont& font) {
    if (font.isDefault()) return {7, 13};
    const int h = std::abs(font.height);
    const int w = font.width > 0 ? font.width : std::max(1, (h * 7 + 6) / 13);
    return {w, h};
}

Size RecordingCanvas::textExtent(std::string_view text) const {
    const Size cell = cellSize(state().font);
    return {cell.width * characterCount(text), cell.height};
}

void RecordingCanvas::drawBitmap(int id, const Rect& r) {
    CanvasCall& c = record(CanvasOp::Bitmap);
    c.a = id;
    c.rect = r;
}

void RecordingCanvas::invalidate(const Rect& r, bool erase) {
    CanvasCall& c = record(CanvasOp::Invalidate);
    c.rect = r;
    c.a = erase ? 1 : 0;
}

std::vector<CanvasCall> RecordingCanvas::calls(CanvasOp op) const {
    std::vector<CanvasCall> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [op](const CanvasCall& c) { return c.op == op; });
    return out;
}

std::size_t RecordingCanvas::count(CanvasOp op) const {
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(), [op](const CanvasCall& c) { return c.op == op; }));
}

std::vector<CanvasCall> RecordingCanvas::drawingCalls() const {
    std::vector<CanvasCall> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [](const CanvasCall& c) { return isDrawing(c.op); });
    return out;
}

std::string RecordingCanvas::dump() const {
    std::string s;
    for (const CanvasCall& c : calls_) s += c.describe() + "\n";
    return s;
}

}  // namespace kestrune
