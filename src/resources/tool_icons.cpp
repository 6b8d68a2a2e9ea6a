#include "resources/tool_icons.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "resources/tool_icons_painter.h"

namespace kestrune {
namespace icons {
namespace {

constexpr int kTaskPointer = 34100;
constexpr int kWire = 34101;
constexpr int kDisplayPointer = 34000;
// Ends of the two toolbox id ranges (34130 is a task tool string that places nothing).
constexpr int kLastTaskTool = 34130;
constexpr int kLastDisplayTool = 34024;

// Two block boxes joined by a blue wire with its arrow head, the way a wire
// looks on the task canvas.
void drawWire(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(rgb(198, 222, 255));
    p.rect(2, 3, 12, 13);
    p.rect(20, 19, 30, 29);
    p.pen(colours::kBlue, 2);
    p.polyline({{12, 8}, {17, 8}, {17, 24}, {19, 24}});
    p.pen(colours::kBlue);
    p.brush(colours::kBlue);
    p.polygon({{16, 21}, {20, 24}, {16, 27}});
}

}  // namespace

int IconPainter::len(int d) const {
    const int scale = std::min(t_.width(), t_.height());
    return std::max(1, (d * scale + kGrid / 2) / kGrid);
}

void IconPainter::pen(Rgb colour, int width, PenStyle style) {
    c_.setPen({colour, len(width), style});
}

Point IconPainter::atF(double x, double y) const {
    return {t_.left + static_cast<int>(std::lround(x * t_.width() / kGrid)),
            t_.top + static_cast<int>(std::lround(y * t_.height() / kGrid))};
}

void IconPainter::polyline(std::initializer_list<Point> grid) {
    std::vector<Point> pts;
    for (const Point& g : grid) pts.push_back(at(g.x, g.y));
    c_.drawPolyline(pts);
}

void IconPainter::polygon(std::initializer_list<Point> grid) {
    std::vector<Point> pts;
    for (const Point& g : grid) pts.push_back(at(g.x, g.y));
    c_.drawPolygon(pts);
}

void IconPainter::text(int l, int t, int r, int b, std::string_view s, int height, bool bold, Rgb colour) {
    LogFont f;
    f.height = -len(height);
    f.weight = bold ? LogFont::kWeightBold : LogFont::kWeightNormal;
    f.quality = 4;  // antialiased
    f.setFace("Sans");
    c_.setFont(f);
    c_.setTextColour(colour);
    c_.setBackgroundMode(BackgroundMode::Transparent);
    c_.drawTextInRect(box(l, t, r, b), s, TextFormat::centred());
}

void IconPainter::arrowRight(int x1, int x2, int y, Rgb colour) {
    pen(colour, 2);
    line(x1, y, x2 - 3, y);
    pen(colour);
    brush(colour);
    polygon({{x2 - 4, y - 3}, {x2, y}, {x2 - 4, y + 3}});
}

void IconPainter::arrowLeft(int x1, int x2, int y, Rgb colour) {
    pen(colour, 2);
    line(x1 + 3, y, x2, y);
    pen(colour);
    brush(colour);
    polygon({{x1 + 4, y - 3}, {x1, y}, {x1 + 4, y + 3}});
}

void IconPainter::sine(int x1, int x2, int yc, int amplitude, Rgb colour) {
    // Sampled in target pixels so that large icons stay smooth.
    const Point a = at(x1, yc);
    const Point b = at(x2, yc);
    const double amp = amplitude * static_cast<double>(std::min(t_.width(), t_.height())) / kGrid;
    std::vector<Point> pts;
    const int steps = std::max(8, (b.x - a.x) / 2);
    for (int i = 0; i <= steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        pts.push_back({a.x + static_cast<int>(std::lround(f * (b.x - a.x))),
                       a.y - static_cast<int>(std::lround(amp * std::sin(f * 2 * std::numbers::pi)))});
    }
    pen(colour, 2);
    c_.drawPolyline(pts);
}

void IconPainter::page(int l, int t, int r, int b) {
    pen(ink::kDark);
    brush(ink::kPaper);
    polygon({{l, t}, {r - 4, t}, {r, t + 4}, {r, b}, {l, b}});
    polyline({{r - 4, t}, {r - 4, t + 4}, {r, t + 4}});
}

void drawPointer(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(colours::kWhite);
    p.polygon({{9, 4}, {9, 25}, {14, 20}, {18, 28}, {21, 27}, {17, 19}, {24, 19}});
}

}  // namespace icons

Size toolIconSize() {
    return {icons::kGrid, icons::kGrid};
}

bool hasToolIcon(int toolId) {
    return toolId == icons::kTaskPointer || toolId == icons::kWire || toolId == icons::kDisplayPointer ||
           icons::hasBlockIcon(toolId) || icons::hasDisplayIcon(toolId);
}

bool drawToolIcon(Canvas& canvas, int toolId, const Rect& target) {
    if (!hasToolIcon(toolId)) return false;
    CanvasSaver keep(canvas);
    ClipScope clip(canvas, target);
    icons::IconPainter p(canvas, target);
    if (toolId == icons::kTaskPointer || toolId == icons::kDisplayPointer) {
        icons::drawPointer(p);
    } else if (toolId == icons::kWire) {
        icons::drawWire(p);
    } else if (!icons::drawBlockIcon(p, toolId)) {
        icons::drawDisplayIcon(p, toolId);
    }
    return true;
}

std::vector<int> toolIconIds() {
    std::vector<int> ids;
    for (int id = icons::kTaskPointer; id <= icons::kLastTaskTool; ++id) {
        if (hasToolIcon(id)) ids.push_back(id);
    }
    for (int id = icons::kDisplayPointer; id <= icons::kLastDisplayTool; ++id) {
        if (hasToolIcon(id)) ids.push_back(id);
    }
    return ids;
}

}  // namespace kestrune
