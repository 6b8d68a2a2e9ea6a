// The block icons: a rounded box in the colour of the block's family, a short
// label on top and a pictogram of what the block does underneath. The
// pictogram area is x 3..29, y 15..30 of the grid.

#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "resources/tool_icons_painter.h"

namespace kestrune::icons {
namespace {

constexpr Family kInput{rgb(204, 224, 255), rgb(30, 80, 170)};
constexpr Family kOutput{rgb(200, 238, 228), rgb(10, 110, 90)};
constexpr Family kControl{rgb(255, 222, 184), rgb(190, 90, 10)};
constexpr Family kCalculation{rgb(214, 240, 204), rgb(40, 120, 40)};
constexpr Family kCounting{rgb(255, 244, 188), rgb(150, 110, 0)};
constexpr Family kSystem{rgb(232, 218, 250), rgb(110, 60, 170)};
constexpr Family kLogging{rgb(240, 226, 208), rgb(130, 80, 40)};
constexpr Family kExchange{rgb(206, 240, 250), rgb(0, 115, 145)};
constexpr Family kScript{rgb(228, 228, 228), rgb(80, 80, 80)};

void squareWave(IconPainter& p, int x, int y, Rgb colour) {
    p.pen(colour, 2);
    p.polyline({{x, y + 4},
                {x + 3, y + 4},
                {x + 3, y - 4},
                {x + 7, y - 4},
                {x + 7, y + 4},
                {x + 11, y + 4},
                {x + 11, y - 4},
                {x + 15, y - 4}});
}

void tag(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kGold);
    p.polygon({{5, 18}, {21, 18}, {27, 23}, {21, 28}, {5, 28}});
    p.brush(ink::kPaper);
    p.ellipse(19, 21, 23, 25);
}

void analogInput(IconPainter& p) {
    p.arrowRight(3, 11, 23, ink::kDark);
    p.sine(12, 28, 23, 5, ink::kSignal);
}

void analogOutput(IconPainter& p) {
    p.sine(4, 19, 23, 5, ink::kSignal);
    p.arrowRight(20, 29, 23, ink::kDark);
}

void digitalInput(IconPainter& p) {
    p.arrowRight(3, 11, 23, ink::kDark);
    squareWave(p, 13, 23, ink::kSignal);
}

void digitalOutput(IconPainter& p) {
    squareWave(p, 3, 23, ink::kSignal);
    p.arrowRight(20, 29, 23, ink::kDark);
}

void temperature(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.roundRect(13, 15, 19, 26, 4);
    p.brush(ink::kAlarm);
    p.ellipse(11, 22, 21, 30);
    p.fill(15, 19, 17, 25, ink::kAlarm);
    for (int y = 17; y <= 23; y += 3) p.line(21, y, 24, y);
}

void hardwareCounter(IconPainter& p) {
    squareWave(p, 3, 23, ink::kSignal);
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.rect(19, 17, 29, 29);
    p.text(19, 17, 29, 29, "#", 9, true, ink::kDark);
}

void warningSign(IconPainter& p, int l, int t, int r, int b) {
    p.pen(ink::kDark);
    p.brush(ink::kGold);
    p.polygon({{(l + r) / 2, t}, {r, b}, {l, b}});
    p.pen(ink::kDark, 2);
    p.line((l + r) / 2, t + 4, (l + r) / 2, b - 5);
    p.line((l + r) / 2, b - 3, (l + r) / 2, b - 2);
}

void hardwareAlarm(IconPainter& p) {
    warningSign(p, 6, 15, 26, 30);
}

void serial(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(rgb(170, 170, 180));
    p.polygon({{4, 17}, {28, 17}, {25, 28}, {7, 28}});
    p.brush(ink::kDark);
    for (int i = 0; i < 5; ++i) p.ellipse(7 + 4 * i, 19, 9 + 4 * i, 21);
    for (int i = 0; i < 4; ++i) p.ellipse(9 + 4 * i, 24, 11 + 4 * i, 26);
}

void pid(IconPainter& p) {
    p.pen(ink::kDark);
    p.polyline({{4, 15}, {4, 29}, {29, 29}});
    p.pen(ink::kAlarm, 1, PenStyle::Dash);
    p.line(5, 19, 29, 19);
    p.pen(ink::kSignal, 2);
    p.polyline({{5, 28}, {9, 28}, {11, 21}, {13, 16}, {16, 17}, {19, 20}, {22, 19}, {28, 19}});
}

void onOff(IconPainter& p) {
    p.pen(ink::kSignal, 2);
    p.polyline({{4, 27}, {19, 27}, {19, 18}, {28, 18}});
    p.pen(ink::kSignal, 1, PenStyle::Dash);
    p.polyline({{12, 27}, {12, 18}, {19, 18}});
}

void calculation(IconPainter& p) {
    p.pen(ink::kDark, 2);
    p.line(6, 19, 12, 19);  // plus
    p.line(9, 16, 9, 22);
    p.line(19, 19, 25, 19);  // minus
    p.line(6, 24, 12, 30);   // times
    p.line(12, 24, 6, 30);
    p.line(19, 27, 25, 27);  // divide
    p.pen(ink::kDark);
    p.brush(ink::kDark);
    p.ellipse(21, 23, 24, 26);
    p.ellipse(21, 28, 24, 31);
}

void average(IconPainter& p) {
    p.pen(ink::kDark);
    p.polyline({{4, 22}, {7, 17}, {10, 26}, {13, 18}, {16, 27}, {19, 16}, {22, 25}, {25, 19}, {28, 23}});
    p.pen(ink::kAlarm, 2);
    p.line(4, 22, 28, 22);
}

void counter(IconPainter& p) {
    p.pen(ink::kDark, 2);
    for (int x = 8; x <= 20; x += 4) p.line(x, 17, x, 29);
    p.pen(ink::kAlarm, 2);
    p.line(5, 26, 24, 19);
}

void script(IconPainter& p) {
    p.page(8, 15, 24, 30);
    p.pen(ink::kSignal);
    p.line(10, 19, 19, 19);
    p.line(12, 22, 21, 22);
    p.line(12, 25, 18, 25);
    p.line(10, 28, 16, 28);
}

void clockFace(IconPainter& p, int l, int t, int r, int b) {
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.ellipse(l, t, r, b);
    const int cx = (l + r) / 2;
    const int cy = (t + b) / 2;
    p.pen(ink::kDark, 2);
    p.line(cx, cy, cx, t + 3);
    p.line(cx, cy, r - 4, cy);
}

void timer(IconPainter& p) {
    clockFace(p, 9, 15, 24, 30);
}

void timeStamp(IconPainter& p) {
    p.noPen();
    p.brush(ink::kDark);
    p.rect(3, 17, 29, 28);
    p.text(3, 17, 29, 28, "12:30", 8, true, rgb(90, 230, 90));
}

void ramp(IconPainter& p) {
    p.pen(ink::kDark);
    p.line(4, 29, 29, 29);
    p.pen(ink::kSignal, 2);
    p.polyline({{4, 27}, {10, 27}, {21, 17}, {28, 17}});
}

void disk(IconPainter& p, int l, int t, int r, int b) {
    p.pen(ink::kDark);
    p.brush(rgb(200, 200, 210));
    p.rect(l, t + 2, r, b - 2);
    p.pie(l, b - 5, r, b, 180, 180);
    p.ellipse(l, t, r, t + 5);
}

void logFile(IconPainter& p) {
    p.arrowRight(3, 12, 23, ink::kSignal);
    disk(p, 14, 15, 28, 30);
}

void dataFile(IconPainter& p) {
    p.page(4, 15, 16, 30);
    p.pen(ink::kDark);
    for (int y = 20; y <= 26; y += 3) p.line(6, y, 13, y);
    p.arrowRight(18, 29, 23, ink::kSignal);
}

void ddeServer(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.rect(3, 17, 13, 29);
    p.arrowRight(14, 29, 20, ink::kSignal);
    p.arrowRight(14, 29, 26, ink::kSignal);
}

void ddeClient(IconPainter& p) {
    p.arrowLeft(3, 17, 23, ink::kSignal);
    p.pen(ink::kDark);
    p.brush(ink::kPaper);
    p.rect(19, 17, 29, 29);
}

void networkInput(IconPainter& p) {
    p.pen(ink::kDark, 2);
    p.line(7, 27, 16, 18);
    p.line(16, 18, 25, 27);
    p.line(7, 27, 25, 27);
    p.pen(ink::kDark);
    p.brush(ink::kSignal);
    p.ellipse(4, 24, 10, 30);
    p.ellipse(13, 15, 19, 21);
    p.ellipse(22, 24, 28, 30);
}

void alarmLog(IconPainter& p) {
    p.page(4, 15, 18, 30);
    p.pen(ink::kDark);
    for (int y = 20; y <= 26; y += 3) p.line(6, y, 13, y);
    warningSign(p, 14, 18, 29, 30);
}

void speaker(IconPainter& p) {
    p.pen(ink::kDark);
    p.brush(ink::kDark);
    p.polygon({{4, 20}, {8, 20}, {13, 16}, {13, 29}, {8, 25}, {4, 25}});
}

void beep(IconPainter& p) {
    speaker(p);
    p.pen(ink::kSignal, 2);
    p.arc(12, 18, 20, 27, -50, 100);
}

void sound(IconPainter& p) {
    speaker(p);
    p.pen(ink::kSignal, 2);
    p.arc(12, 18, 20, 27, -50, 100);
    p.arc(13, 15, 26, 30, -55, 110);
}

void gear(IconPainter& p) {
    constexpr int kTeeth = 8;
    constexpr double cx = 16, cy = 23, outer = 7.5, inner = 5.5;
    std::vector<Point> pts;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const double a = (i - 0.5) * std::numbers::pi / (kTeeth * 2);
        const double r = (i % 4 < 2) ? outer : inner;
        pts.push_back(p.atF(cx + r * std::cos(a), cy - r * std::sin(a)));
    }
    p.pen(ink::kDark);
    p.brush(rgb(150, 120, 200));
    p.canvas().drawPolygon(pts);
    p.brush(ink::kPaper);
    p.ellipse(14, 21, 18, 25);
}

void legacyProgram(IconPainter& p) {
    p.pen(ink::kDark, 2);
    p.polyline({{10, 17}, {5, 23}, {10, 29}});
    p.polyline({{22, 17}, {27, 23}, {22, 29}});
    p.line(18, 16, 14, 30);
}

struct BlockIcon {
    int toolId;
    const Family* family;
    std::string_view label;
    void (*pictogram)(IconPainter&);
};

// One entry per block tool of the task designer toolbox.
constexpr BlockIcon kBlockIcons[] = {
    {34102, &kSystem, "TAG", tag},
    {34103, &kInput, "AI", analogInput},
    {34104, &kOutput, "AO", analogOutput},
    {34105, &kInput, "DI", digitalInput},
    {34106, &kOutput, "DO", digitalOutput},
    {34107, &kInput, "TMP", temperature},
    {34108, &kInput, "HWC", hardwareCounter},
    {34109, &kInput, "ALM", hardwareAlarm},
    {34110, &kInput, "232", serial},
    {34111, &kControl, "PID", pid},
    {34112, &kControl, "ONF", onOff},
    {34113, &kCalculation, "CALC", calculation},
    {34114, &kCalculation, "AVG", average},
    {34115, &kCounting, "CNT", counter},
    {34116, &kScript, "BAS", script},
    {34117, &kCounting, "TMR", timer},
    {34118, &kCounting, "TS", timeStamp},
    {34119, &kCalculation, "RMP", ramp},
    {34120, &kLogging, "LOG", logFile},
    {34121, &kLogging, "INF", dataFile},
    {34122, &kExchange, "DDES", ddeServer},
    {34123, &kExchange, "DDEC", ddeClient},
    {34124, &kExchange, "NET", networkInput},
    {34125, &kLogging, "ALOG", alarmLog},
    {34126, &kSystem, "BEEP", beep},
    {34127, &kSystem, "SND", sound},
    {34128, &kSystem, "SYS", gear},
    {34129, &kScript, "PRG", legacyProgram},
};

const BlockIcon* findBlockIcon(int toolId) {
    for (const BlockIcon& b : kBlockIcons) {
        if (b.toolId == toolId) return &b;
    }
    return nullptr;
}

}  // namespace

bool hasBlockIcon(int toolId) {
    return findBlockIcon(toolId) != nullptr;
}

bool drawBlockIcon(IconPainter& p, int toolId) {
    const BlockIcon* icon = findBlockIcon(toolId);
    if (!icon) return false;
    p.pen(icon->family->border);
    p.brush(icon->family->fill);
    p.roundRect(0, 0, 32, 32, 7);
    const int labelHeight = icon->label.size() <= 2 ? 11 : icon->label.size() == 3 ? 10 : 8;
    p.text(1, 2, 31, 15, icon->label, labelHeight, true, icon->family->border);
    icon->pictogram(p);
    return true;
}

}  // namespace kestrune::icons
