#pragma once
// A Canvas that draws nothing and remembers every call, so that tests can say
// "an icon at this rectangle, this text centred in that one, four 6 x 6
// handles" without pixels. Each drawing call also keeps the state and clip in
// effect when it was made. Text is measured with a fixed-width metric: 7 x 13
// for the default font, otherwise the font's height and a width in the same
// proportion (or the font's own width when it gives one).

#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace kestrune {

enum class CanvasOp : std::uint8_t {
    SetPen,
    SetBrush,
    SetFont,
    SetTextColour,
    SetBackground,
    SetRasterOp,
    Save,
    Restore,
    PushClip,
    PopClip,
    Line,
    Polyline,
    Polygon,
    Rectangle,
    FillRect,
    RoundRect,
    Ellipse,
    Arc,
    Pie,
    Pixel,
    TextAt,
    TextInRect,
    Bitmap,
    Invalidate,
};

const char* toString(CanvasOp op);

struct CanvasCall {
    CanvasOp op = CanvasOp::Line;
    // Shapes, text rectangle, bitmap, invalidated area, the clip a PushClip made.
    Rect rect;
    // Line ends, polyline and polygon points, the pixel, the text position.
    std::vector<Point> points;
    // Round-rect corner width and height; bitmap id in `a`; invalidate's erase flag in `a`.
    int a = 0;
    int b = 0;
    double startDegrees = 0;
    double sweepDegrees = 0;
    // Fill colour of fillRect, colour of setPixel.
    Rgb colour = 0;
    std::string text;
    TextFormat format;
    // In effect once the call was made.
    CanvasState state;
    std::optional<Rect> clip;

    // One line, e.g. "Rectangle {10,10,42,42} pen #000000 1 solid brush #FFFFFF".
    std::string describe() const;
};

class RecordingCanvas : public Canvas {
  public:
    void drawLine(Point from, Point to) override;
    void drawPolyline(std::span<const Point> points) override;
    void drawPolygon(std::span<const Point> points) override;
    void drawRect(const Rect& r) override;
    void fillRect(const Rect& r, Rgb colour) override;
    void drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) override;
    void drawEllipse(const Rect& bounds) override;
    void drawArc(const Rect& bounds, double startDegrees, double sweepDegrees) override;
    void drawPie(const Rect& bounds, double startDegrees, double sweepDegrees) override;
    void setPixel(Point p, Rgb colour) override;
    void drawTextAt(Point topLeft, std::string_view text) override;
    void drawTextInRect(const Rect& r, std::string_view text, const TextFormat& format) override;
    Size textExtent(std::string_view text) const override;
    void drawBitmap(int id, const Rect& r) override;
    void invalidate(const Rect& r, bool erase) override;

    // Width and height of one character cell of `font` in the fixed metric.
    static Size cellSize(const LogFont& font);

    const std::vector<CanvasCall>& calls() const { return calls_; }
    std::vector<CanvasCall> calls(CanvasOp op) const;
    std::size_t count(CanvasOp op) const;
    // Calls that put something on the surface (not state, clip or invalidation).
    std::vector<CanvasCall> drawingCalls() const;
    void clear() { calls_.clear(); }
    // Every call, one per line, for a failing test's output.
    std::string dump() const;

  protected:
    void changed(Change what) override;

  private:
    CanvasCall& record(CanvasOp op);

    std::vector<CanvasCall> calls_;
};

}  // namespace kestrune
