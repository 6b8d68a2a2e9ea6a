// The display item icons: a miniature of the item on a pale panel, so the
// toolbox reads like the display it builds.

#include <string_view>

#include "resources/tool_icons_painter.h"

namespace kestrune::icons {
namespace {

constexpr Family kPanel{rgb(238, 241, 246), rgb(100, 110, 128)};

// A raised button face with the classic light and dark bevel.
void raised(IconPainter& p, int l, int t, int r, int b) {
    p.fill(l, t, r, b, colours::kLightGrey);
    p.pen(colours::kWhite);
    p.polyline({{l, b - 1}, {l, t}, {r - 1, t}});
    p.pen(colours::kGrey);
    p.polyline({{r - 1, t + 1}, {r - 1, b - 1}, {l + 1, b - 1}});
}

void sunken(IconPainter& p, int l, int t, int r, int b, Rgb face) {
    p.fill(l, t, r, b, face);
    p.pen(colours::kGrey);
    p.polyline({{l, b - 1}, {l, t}, {r - 1, t}});
    p.pen(colours::kWhite);
    p.polyline({{r - 1, t + 1}, {r - 1, b - 1}, {l + 1, b - 1}});
}

void binaryButton(IconPainter& p) {
    raised(p, 4, 9, 28, 23);
    p.text(4, 9, 28, 23, "ON", 8, true, ink::kDark);
}

void conditionalButton(IconPainter& p) {
    raised(p, 4, 9, 28, 23);
    p.pen(ink::kDark);
    p.brush(rgb(40, 190, 60));
    p.ellipse(7, 13, 13, 19);
    p.text(13, 9, 28, 23, "IF", 8, true, ink::kDark);
}

void menuButton(IconPainter& p) {
    raised(p, 4, 9, 28, 23);
    p.pen(ink::kDark, 2);
    for (int y = 12; y <= 20; y += 4) p.line(7, y, 18, y);
    p.pen(ink::kDark);
    p.brush(ink::kDark);
    p.polygon({{20, 14}, {26, 14}, {23, 18}});
}

void numericControl(IconPainter& p) {
    sunken(p, 3, 10, 22, 23, ink::kPaper);
    p.text(3, 10, 22, 23, "12", 8, false, ink::kDark);
    raised(p, 22, 10, 29, 23);
    p.pen(ink::kDark);
    p.brush(ink::kDark);
    p.polygon({{23, 15}, {25, 12}, {27, 15}});
    p.polygon({{23, 18}, {27, 18}, {25, 21}});
}

void stringControl(IconPainter& p) {
    sunken(p, 3, 10, 29, 23, ink::kPaper);
    p.text(3, 10, 24, 23, "abc", 8, false, ink::kDark);
    p.pen(ink::kDark);
    p.line(25, 12, 25, 21);
}

void knob(IconPainter& p) {
    p.pen(ink::kDark);
    for (int i = 0; i < 5; ++i) p.line(4 + 6 * i, i == 2 ? 3 : 5, 4 + 6 * i, i == 2 ? 5 : 7);
    p.brush(colours::kLightGrey);
    p.ellipse(6, 7, 27, 28);
    p.brush(rgb(225, 225, 225));
    p.ellipse(10, 11, 23, 24);
    p.pen(ink::kAlarm, 2);
    p.line(16, 17, 11, 12);
}

void slider(IconPainter& p) {
    p.pen(ink::kDark);
    for (int y = 6; y <= 26; y += 5) p.line(6, y, 9, y);
    sunken(p, 15, 4, 18, 29, ink::kDark);
    raised(p, 11, 14, 23, 20);
    p.pen(ink::kDark);
    p.hollow();
    p.rect(11, 14, 23, 20);
}

void indicator(IconPainter& p) {
    raised(p, 7, 7, 25, 25);
    p.pen(ink::kDark);
    p.brush(ink::kAlarm);
    p.ellipse(10, 10, 22, 22);
    p.noPen();
    p.brush(rgb(255, 190, 190));
    p.ellipse(12, 12, 16, 16);
}

void numericString(IconPainter& p) {
    sunken(p, 3, 10, 29, 23, colours::kLightGrey);
    p.text(3, 10, 29, 23, "12.3", 8, true, ink::kDark);
}

void conditionalText(IconPainter& p) {
    p.fill(4, 5, 28, 15, rgb(40, 170, 60));
    p.text(4, 5, 28, 15, "ON", 7, true, colours::kWhite);
    p.fill(4, 17, 28, 27, ink::kAlarm);
    p.text(4, 17, 28, 27, "OFF", 7, true, colours::kWhite);
}

void barGraph(IconPainter& p) {
    p.pen(ink::kDark);
    for (int y = 5; y <= 27; y += 5) p.line(6, y, 9, y);
    sunken(p, 11, 4, 22, 29, ink::kPaper);
    p.fill(12, 14, 21, 28, ink::kSignal);
}

void analogMeter(IconPainter& p) {
    p.pen(rgb(40, 170, 60), 3);
    p.arc(4, 6, 28, 30, 150, -50);
    p.pen(ink::kGold, 3);
    p.arc(4, 6, 28, 30, 100, -40);
    p.pen(ink::kAlarm, 3);
    p.arc(4, 6, 28, 30, 60, -30);
    p.pen(ink::kDark, 2);
    p.line(16, 18, 22, 10);
    p.brush(ink::kDark);
    p.pen(ink::kDark);
    p.ellipse(14, 16, 19, 21);
}

void plotArea(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.rect(3, 4, 29, 28);
    p.pen(rgb(180, 180, 180), 1, PenStyle::Dot);
    p.line(3, 12, 29, 12);
    p.line(3, 20, 29, 20);
    p.line(12, 4, 12, 28);
    p.line(20, 4, 20, 28);
}

void realtimeTrend(IconPainter& p) {
    plotArea(p);
    p.sine(4, 28, 14, 5, ink::kSignal);
    p.pen(ink::kAlarm, 2);
    p.polyline({{4, 24}, {10, 22}, {16, 25}, {22, 21}, {28, 23}});
}

void historicalTrend(IconPainter& p) {
    plotArea(p);
    p.pen(ink::kSignal, 2);
    p.polyline({{4, 24}, {8, 18}, {12, 21}, {16, 13}, {20, 16}, {24, 9}, {28, 11}});
    p.pen(ink::kDark);
    p.brush(ink::kGold);
    p.ellipse(19, 18, 29, 28);
    p.line(24, 23, 24, 20);
    p.line(24, 23, 27, 23);
}

void xyGraph(IconPainter& p) {
    p.pen(ink::kDark);
    p.polyline({{5, 4}, {5, 27}, {29, 27}});
    p.pen(ink::kSignal, 2);
    p.polyline({{7, 24}, {10, 14}, {15, 8}, {21, 9}, {25, 15}, {22, 21}, {16, 20}, {13, 15}});
    p.brush(ink::kAlarm);
    p.pen(ink::kAlarm);
    p.ellipse(24, 5, 27, 8);
}

void conditionalBitmap(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(rgb(190, 225, 255));
    p.rect(3, 6, 29, 27);
    p.brush(ink::kGold);
    p.noPen();
    p.ellipse(20, 9, 26, 15);
    p.brush(rgb(60, 150, 70));
    p.polygon({{4, 26}, {11, 14}, {16, 21}, {20, 17}, {28, 26}});
}

void textString(IconPainter& p) {
    p.text(2, 4, 30, 28, "Aa", 15, false, ink::kDark);
}

void groupBox(IconPainter& p) {
    p.pen(colours::kGrey);
    p.polyline({{8, 10}, {4, 10}, {4, 28}, {28, 28}, {28, 10}, {22, 10}});
    p.text(8, 5, 22, 15, "ab", 7, false, ink::kDark);
}

void shapeStyle(IconPainter& p) {
    p.pen(ink::kDark, 2);
    p.brush(rgb(170, 205, 255));
}

void rectangleDraw(IconPainter& p) {
    shapeStyle(p);
    p.rect(5, 8, 28, 25);
}

void roundRectDraw(IconPainter& p) {
    shapeStyle(p);
    p.roundRect(5, 8, 28, 25, 9);
}

void ovalDraw(IconPainter& p) {
    shapeStyle(p);
    p.ellipse(4, 8, 29, 25);
}

void polygonDraw(IconPainter& p) {
    shapeStyle(p);
    p.polygon({{5, 25}, {9, 8}, {18, 13}, {27, 5}, {25, 27}});
}

void lineDraw(IconPainter& p) {
    p.pen(ink::kDark, 2);
    p.line(6, 26, 26, 6);
}

void eventLog(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.rect(3, 4, 29, 28);
    p.fill(4, 5, 28, 10, colours::kLightGrey);
    for (int i = 0; i < 3; ++i) {
        const int y = 13 + 5 * i;
        p.fill(5, y, 8, y + 3, i == 1 ? ink::kAlarm : ink::kSignal);
        p.pen(ink::kDark);
        p.line(10, y + 1, 26 - 4 * i, y + 1);
    }
}

struct DisplayIcon {
    int toolId;
    void (*draw)(IconPainter&);
};

// One entry per item tool of the display designer toolbox.
constexpr DisplayIcon kDisplayIcons[] = {
    {34001, binaryButton},  {34002, conditionalButton},
    {34003, menuButton},    {34004, numericControl},
    {34005, stringControl}, {34006, knob},
    {34007, slider},        {34008, indicator},
    {34009, numericString}, {34010, conditionalText},
    {34011, barGraph},      {34012, analogMeter},
    {34013, realtimeTrend}, {34014, historicalTrend},
    {34015, xyGraph},       {34016, conditionalBitmap},
    {34017, textString},    {34018, groupBox},
    {34019, rectangleDraw}, {34020, roundRectDraw},
    {34021, ovalDraw},      {34022, polygonDraw},
    {34023, lineDraw},      {34024, eventLog},
};

const DisplayIcon* findDisplayIcon(int toolId) {
    for (const DisplayIcon& d : kDisplayIcons) {
        if (d.toolId == toolId) return &d;
    }
    return nullptr;
}

}  // namespace

bool hasDisplayIcon(int toolId) {
    return findDisplayIcon(toolId) != nullptr;
}

bool drawDisplayIcon(IconPainter& p, int toolId) {
    const DisplayIcon* icon = findDisplayIcon(toolId);
    if (!icon) return false;
    p.pen(kPanel.border);
    p.brush(kPanel.fill);
    p.roundRect(0, 0, 32, 32, 5);
    icon->draw(p);
    return true;
}

}  // namespace kestrune::icons
