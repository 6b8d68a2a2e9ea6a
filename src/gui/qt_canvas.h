#pragma once
// The core's Canvas painted with a QPainter: what blocks, wires and tool
// icons draw lands on a window, an image or a printer page. Rectangles keep
// the core's rule (right and bottom outside), so a 32 x 32 box covers 32 x 32
// pixels here too. Pictures by id are the tool icons, drawn once into an
// image and then copied. Invalidation is handed to whoever owns the surface
// (a window asks for a repaint; an image has nothing to do).
//
// Belongs to the thread that paints (the user-interface thread).

#include <QPainter>
#include <functional>

#include "platform/canvas.h"

namespace kestrune {

class QtCanvas final : public Canvas {
  public:
    using Invalidator = std::function<void(const Rect& area, bool erase)>;

    // The painter must be active for the canvas's lifetime; the canvas leaves
    // it as it found it.
    explicit QtCanvas(QPainter& painter, Invalidator invalidator = nullptr);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

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

    // The Qt forms of the core's values.
    static QColor toQColor(Rgb colour);
    static QRect toQRect(const Rect& r);
    static Rect fromQRect(const QRect& r);
    // The font a logical font asks for; height 0 keeps `fallback`.
    static QFont toQFont(const LogFont& font, const QFont& fallback);

  protected:
    void changed(Change what) override;

  private:
    void applyPen();
    void applyBrush();
    void applyFont();
    void applyRasterOp();
    void applyClip();
    // The rectangle a 1-unit outline of `r` is stroked along.
    QRect outlineRect(const Rect& r) const;

    QPainter& painter_;
    Invalidator invalidator_;
    QFont deviceFont_;
};

}  // namespace kestrune
