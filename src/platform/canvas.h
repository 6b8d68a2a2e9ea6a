#pragma once
// The drawing surface of the core. Blocks, wires and display items draw
// through a Canvas and never know what is behind it: the desktop program
// paints on a window, tests record the calls (RecordingCanvas).
//
// The drawing state (pen, brush, font, text colours, raster operation) and the
// clip stack live here, so every canvas answers state() and clipRect() the same
// way; an implementation mirrors changes through the `changed` hook. Shapes
// cover exactly the pixels of their rectangle, right and bottom excluded: the
// pen outlines the inside of that area and the brush fills the rest.
//
// A canvas belongs to the thread that draws on it (the user-interface thread).

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/canvas_types.h"
#include "platform/geometry.h"

namespace kestrune {

class Canvas {
  public:
    virtual ~Canvas() = default;

    // --- drawing state -------------------------------------------------------
    void setPen(const Pen& pen);
    void setBrush(const Brush& brush);
    // A font whose height is 0 is the device's default font.
    void setFont(const LogFont& font);
    void setTextColour(Rgb colour);
    void setBackgroundColour(Rgb colour);
    void setBackgroundMode(BackgroundMode mode);
    void setRasterOp(RasterOp op);
    const CanvasState& state() const { return state_; }

    // Keeps the whole drawing state; restore() brings back the last one kept.
    // An unmatched restore() changes nothing. The clip stack is separate.
    void save();
    void restore();
    std::size_t saveDepth() const { return saved_.size(); }

    // Narrows drawing to `r` (normalised) within the current clip; popClip()
    // returns to the previous clip. An unmatched popClip() changes nothing.
    void pushClip(const Rect& r);
    void popClip();
    // The clip in effect, or nullopt when drawing is not clipped. May be empty
    // (nothing is drawn) when nested clips do not overlap.
    std::optional<Rect> clipRect() const;
    std::size_t clipDepth() const { return clips_.size(); }

    // --- drawing -------------------------------------------------------------
    virtual void drawLine(Point from, Point to) = 0;
    // Joined segments through the points; fewer than two points draw nothing.
    virtual void drawPolyline(std::span<const Point> points) = 0;
    // Closed outline filled with the brush; fewer than three points draw nothing.
    virtual void drawPolygon(std::span<const Point> points) = 0;
    virtual void drawRect(const Rect& r) = 0;
    // Fills exactly `r` with `colour`, ignoring the pen and the brush.
    virtual void fillRect(const Rect& r, Rgb colour) = 0;
    // Corners are quarter ellipses of cornerWidth x cornerHeight.
    virtual void drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight) = 0;
    virtual void drawEllipse(const Rect& bounds) = 0;
    // Angles in degrees, counter-clockwise from the positive x axis; a negative
    // sweep runs clockwise. The arc uses the pen; the pie is filled with the brush.
    virtual void drawArc(const Rect& bounds, double startDegrees, double sweepDegrees) = 0;
    virtual void drawPie(const Rect& bounds, double startDegrees, double sweepDegrees) = 0;
    virtual void setPixel(Point p, Rgb colour) = 0;

    // One line of text whose top-left corner is `topLeft`.
    virtual void drawTextAt(Point topLeft, std::string_view text) = 0;
    virtual void drawTextInRect(const Rect& r, std::string_view text, const TextFormat& format) = 0;
    // Width and height of one line of `text` in the current font.
    virtual Size textExtent(std::string_view text) const = 0;

    // A picture of the program's own by id (tool icons use their tool id),
    // scaled to `r`.
    virtual void drawBitmap(int id, const Rect& r) = 0;

    // Asks for `r` to be repainted later, erasing the background first when
    // `erase` is set.
    virtual void invalidate(const Rect& r, bool erase) = 0;

  protected:
    enum class Change {
        Pen,
        Brush,
        Font,
        TextColour,
        Background,
        RasterOp,
        Save,
        Restore,
        PushClip,
        PopClip
    };
    // Called after each change of state or clip has taken effect.
    virtual void changed(Change /*what*/) {}

  private:
    CanvasState state_;
    std::vector<CanvasState> saved_;
    std::vector<Rect> clips_;  // each entry already intersected with the one below
};

// Keeps the canvas state for the length of a scope.
class CanvasSaver {
  public:
    explicit CanvasSaver(Canvas& c) : canvas_(c) { canvas_.save(); }
    ~CanvasSaver() { canvas_.restore(); }
    CanvasSaver(const CanvasSaver&) = delete;
    CanvasSaver& operator=(const CanvasSaver&) = delete;

  private:
    Canvas& canvas_;
};

// Clips for the length of a scope.
class ClipScope {
  public:
    ClipScope(Canvas& c, const Rect& r) : canvas_(c) { canvas_.pushClip(r); }
    ~ClipScope() { canvas_.popClip(); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

  private:
    Canvas& canvas_;
};

}  // namespace kestrune
