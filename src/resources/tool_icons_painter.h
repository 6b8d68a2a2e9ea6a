#pragma once
// Drawing helper for the tool icons: every icon is designed on a 32 x 32 grid
// and this maps the grid onto whatever rectangle the icon is asked to fill, so
// the same drawing serves the toolbox button, the block box and a print.
// Internal to the icon files.

#include <initializer_list>
#include <string_view>

#include "platform/canvas.h"

namespace kestrune::icons {

inline constexpr int kGrid = 32;

// Colours of the icon families (blocks grouped by what they do).
struct Family {
    Rgb fill;
    Rgb border;
};

namespace ink {
inline constexpr Rgb kDark = rgb(32, 32, 32);
inline constexpr Rgb kSignal = rgb(0, 70, 200);
inline constexpr Rgb kAlarm = rgb(210, 30, 30);
inline constexpr Rgb kPaper = rgb(255, 255, 255);
inline constexpr Rgb kGold = rgb(230, 170, 20);
}  // namespace ink

class IconPainter {
  public:
    IconPainter(Canvas& canvas, const Rect& target) : c_(canvas), t_(target) {}

    Canvas& canvas() { return c_; }

    // Grid position to target position, rounded to the nearest pixel.
    Point at(int x, int y) const { return {mapX(x), mapY(y)}; }
    // Fractional grid position (curves and gear teeth).
    Point atF(double x, double y) const;
    Rect box(int l, int t, int r, int b) const { return {mapX(l), mapY(t), mapX(r), mapY(b)}; }
    // A grid length in target pixels (never below one).
    int len(int d) const;

    void pen(Rgb colour, int width = 1, PenStyle style = PenStyle::Solid);
    void noPen() { c_.setPen(Pen::none()); }
    void brush(Rgb colour) { c_.setBrush(Brush::solid(colour)); }
    void hollow() { c_.setBrush(Brush::hollow()); }

    void line(int x1, int y1, int x2, int y2) { c_.drawLine(at(x1, y1), at(x2, y2)); }
    void polyline(std::initializer_list<Point> grid);
    void polygon(std::initializer_list<Point> grid);
    void rect(int l, int t, int r, int b) { c_.drawRect(box(l, t, r, b)); }
    void fill(int l, int t, int r, int b, Rgb colour) { c_.fillRect(box(l, t, r, b), colour); }
    void ellipse(int l, int t, int r, int b) { c_.drawEllipse(box(l, t, r, b)); }
    void roundRect(int l, int t, int r, int b, int corner) {
        c_.drawRoundRect(box(l, t, r, b), len(corner), len(corner));
    }
    void arc(int l, int t, int r, int b, double start, double sweep) {
        c_.drawArc(box(l, t, r, b), start, sweep);
    }
    void pie(int l, int t, int r, int b, double start, double sweep) {
        c_.drawPie(box(l, t, r, b), start, sweep);
    }
    // Text centred in the grid box, in a bold or plain sans face `height` grid
    // units high.
    void text(int l, int t, int r, int b, std::string_view s, int height, bool bold, Rgb colour);

    // Shared pictograms.
    void arrowRight(int x1, int x2, int y, Rgb colour);
    void arrowLeft(int x1, int x2, int y, Rgb colour);
    void sine(int x1, int x2, int yc, int amplitude, Rgb colour);
    void page(int l, int t, int r, int b);

  private:
    int mapX(int x) const { return t_.left + (x * t_.width() + kGrid / 2) / kGrid; }
    int mapY(int y) const { return t_.top + (y * t_.height() + kGrid / 2) / kGrid; }

    Canvas& c_;
    Rect t_;
};

// Pictograms of the block tools and of the display tools, drawn inside the
// frame (blocks) or on the ground (display items). Each returns false when it
// does not know the id.
bool drawBlockIcon(IconPainter& p, int toolId);
bool drawDisplayIcon(IconPainter& p, int toolId);
bool hasBlockIcon(int toolId);
bool hasDisplayIcon(int toolId);
// The selection arrow shared by both toolboxes.
void drawPointer(IconPainter& p);

}  // namespace kestrune::icons
