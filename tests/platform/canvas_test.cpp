#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform/canvas.h"
#include "platform/recording_canvas.h"

namespace kestrune {
namespace {

class RecordingCanvasTest : public ::testing::Test {
  protected:
    RecordingCanvas canvas;
};

TEST_F(RecordingCanvasTest, NewCanvasStateIsBlackPenWhiteBrushDefaultFont) {
    const CanvasState& s = canvas.state();
    EXPECT_EQ(s.pen, (Pen{colours::kBlack, 1, PenStyle::Solid}));
    EXPECT_EQ(s.brush, Brush::solid(colours::kWhite));
    EXPECT_TRUE(s.font.isDefault());
    EXPECT_EQ(s.backgroundMode, BackgroundMode::Transparent);
    EXPECT_EQ(s.rasterOp, RasterOp::Copy);
    EXPECT_FALSE(canvas.clipRect().has_value());
}

TEST_F(RecordingCanvasTest, EachDrawingCallKeepsTheStateInEffect) {
    canvas.setPen({colours::kBlue, 2, PenStyle::Dash});
    canvas.setBrush(Brush::hollow());
    canvas.drawRect({1, 2, 3, 4});
    canvas.setPen(Pen::none());
    canvas.drawEllipse({5, 6, 7, 8});

    const auto rects = canvas.calls(CanvasOp::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(rects[0].state.pen, (Pen{colours::kBlue, 2, PenStyle::Dash}));
    EXPECT_EQ(rects[0].state.brush.style, BrushStyle::Null);
    const auto ellipses = canvas.calls(CanvasOp::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].state.pen.style, PenStyle::Null);
    EXPECT_EQ(canvas.count(CanvasOp::SetPen), 2u);
    EXPECT_EQ(canvas.drawingCalls().size(), 2u);
}

TEST_F(RecordingCanvasTest, RecordsEveryPrimitiveWithItsParameters) {
    const std::array<Point, 3> tri{{{0, 0}, {10, 0}, {5, 8}}};
    canvas.drawLine({1, 1}, {9, 9});
    canvas.drawPolyline(tri);
    canvas.drawPolygon(tri);
    canvas.fillRect({0, 0, 4, 4}, colours::kLightGrey);
    canvas.drawRoundRect({0, 0, 32, 32}, 8, 6);
    canvas.drawArc({0, 0, 20, 20}, 240.0, -300.0);
    canvas.drawPie({0, 0, 20, 20}, 90.0, 45.0);
    canvas.setPixel({3, 4}, colours::kRed);
    canvas.drawTextAt({2, 3}, "12");
    canvas.drawTextInRect({0, 33, 72, 59}, "PID1", {HAlign::Centre, VAlign::Centre, false, true, true});
    canvas.drawBitmap(34111, {10, 10, 42, 42});
    canvas.invalidate({7, 7, 45, 45}, true);

    const auto& c = canvas.calls();
    ASSERT_EQ(c.size(), 12u);
    EXPECT_EQ(c[0].points, (std::vector<Point>{{1, 1}, {9, 9}}));
    EXPECT_EQ(c[1].points.size(), 3u);
    EXPECT_EQ(c[2].op, CanvasOp::Polygon);
    EXPECT_EQ(c[3].colour, colours::kLightGrey);
    EXPECT_EQ(c[4].a, 8);
    EXPECT_EQ(c[4].b, 6);
    EXPECT_EQ(c[5].startDegrees, 240.0);
    EXPECT_EQ(c[5].sweepDegrees, -300.0);
    EXPECT_EQ(c[6].op, CanvasOp::Pie);
    EXPECT_EQ(c[7].points[0], (Point{3, 4}));
    EXPECT_EQ(c[7].colour, colours::kRed);
    EXPECT_EQ(c[8].text, "12");
    EXPECT_EQ(c[9].format.horizontal, HAlign::Centre);
    EXPECT_TRUE(c[9].format.wordBreak);
    EXPECT_EQ(c[10].a, 34111);
    EXPECT_EQ(c[10].rect, (Rect{10, 10, 42, 42}));
    EXPECT_EQ(c[11].op, CanvasOp::Invalidate);
    EXPECT_EQ(c[11].a, 1);
    EXPECT_EQ(canvas.drawingCalls().size(), 11u);  // invalidation draws nothing
}

TEST_F(RecordingCanvasTest, SaveAndRestoreNest) {
    canvas.setTextColour(colours::kRed);
    canvas.save();
    canvas.setTextColour(colours::kGreen);
    canvas.setRasterOp(RasterOp::Xor);
    canvas.save();
    canvas.setPen({colours::kWhite, 3, PenStyle::Dot});
    EXPECT_EQ(canvas.saveDepth(), 2u);
    canvas.restore();
    EXPECT_EQ(canvas.state().pen, Pen{});
    EXPECT_EQ(canvas.state().rasterOp, RasterOp::Xor);
    canvas.restore();
    EXPECT_EQ(canvas.state().textColour, colours::kRed);
    EXPECT_EQ(canvas.state().rasterOp, RasterOp::Copy);
}

TEST_F(RecordingCanvasTest, UnmatchedRestoreAndPopChangeNothing) {
    canvas.setTextColour(colours::kRed);
    canvas.restore();
    canvas.popClip();
    EXPECT_EQ(canvas.state().textColour, colours::kRed);
    EXPECT_EQ(canvas.count(CanvasOp::Restore), 0u);
    EXPECT_EQ(canvas.count(CanvasOp::PopClip), 0u);
    EXPECT_FALSE(canvas.clipRect().has_value());
}

TEST_F(RecordingCanvasTest, ClipsNarrowAndPopBack) {
    canvas.pushClip({50, 50, 0, 0});  // backwards: normalised
    EXPECT_EQ(canvas.clipRect(), (Rect{0, 0, 50, 50}));
    canvas.pushClip({40, 40, 100, 100});
    EXPECT_EQ(canvas.clipRect(), (Rect{40, 40, 50, 50}));
    canvas.drawLine({0, 0}, {1, 1});
    EXPECT_EQ(canvas.calls(CanvasOp::Line)[0].clip, (Rect{40, 40, 50, 50}));
    canvas.popClip();
    EXPECT_EQ(canvas.clipRect(), (Rect{0, 0, 50, 50}));
    canvas.popClip();
    EXPECT_FALSE(canvas.clipRect().has_value());
}

TEST_F(RecordingCanvasTest, DisjointClipsLeaveNothingDrawable) {
    canvas.pushClip({0, 0, 10, 10});
    canvas.pushClip({20, 20, 30, 30});
    ASSERT_TRUE(canvas.clipRect().has_value());
    EXPECT_TRUE(canvas.clipRect()->isEmpty());
    // A third clip inside the empty one stays empty rather than reopening.
    canvas.pushClip({20, 20, 25, 25});
    EXPECT_TRUE(canvas.clipRect()->isEmpty());
}

TEST_F(RecordingCanvasTest, ScopesBalanceStateAndClip) {
    {
        CanvasSaver keep(canvas);
        ClipScope clip(canvas, {0, 0, 8, 8});
        canvas.setBrush(Brush::solid(colours::kYellow));
        EXPECT_EQ(canvas.clipDepth(), 1u);
    }
    EXPECT_EQ(canvas.saveDepth(), 0u);
    EXPECT_EQ(canvas.clipDepth(), 0u);
    EXPECT_EQ(canvas.state().brush, Brush::solid(colours::kWhite));
}

TEST_F(RecordingCanvasTest, DefaultFontMeasuresSevenByThirteen) {
    EXPECT_EQ(canvas.textExtent("PID1"), (Size{28, 13}));
    EXPECT_EQ(canvas.textExtent(""), (Size{0, 13}));
    // Characters, not bytes.
    EXPECT_EQ(canvas.textExtent("\xC2\xB1"
                                "5"),
              (Size{14, 13}));
}

TEST_F(RecordingCanvasTest, FontHeightScalesTheMetric) {
    LogFont big;
    big.height = -26;
    canvas.setFont(big);
    EXPECT_EQ(canvas.textExtent("ab"), (Size{28, 26}));
    LogFont narrow;
    narrow.height = 10;
    narrow.width = 6;
    canvas.setFont(narrow);
    EXPECT_EQ(canvas.textExtent("abc"), (Size{18, 10}));
    LogFont tiny;
    tiny.height = 1;
    canvas.setFont(tiny);
    EXPECT_EQ(canvas.textExtent("abc").width, 3);  // never narrower than one pixel a character
}

TEST_F(RecordingCanvasTest, DumpDescribesEveryCall) {
    canvas.setPen({colours::kBlue, 1, PenStyle::Solid});
    canvas.drawRect({10, 10, 42, 42});
    canvas.setTextColour(colours::kBlack);
    canvas.setBackgroundMode(BackgroundMode::Opaque);
    canvas.drawTextInRect({0, 0, 20, 20}, "AI1", TextFormat::centred());
    const std::string d = canvas.dump();
    EXPECT_NE(d.find("Rectangle {10,10,42,42} pen #0000FF 1 solid brush #FFFFFF"), std::string::npos) << d;
    EXPECT_NE(d.find("TextInRect {0,0,20,20} \"AI1\" centre vcentre single"), std::string::npos) << d;
    EXPECT_NE(d.find("on #FFFFFF"), std::string::npos) << d;
    EXPECT_EQ(std::count(d.begin(), d.end(), '\n'), static_cast<long>(canvas.calls().size()));
}

TEST_F(RecordingCanvasTest, ClearForgetsCallsButKeepsState) {
    canvas.setTextColour(colours::kRed);
    canvas.drawLine({0, 0}, {1, 1});
    canvas.clear();
    EXPECT_TRUE(canvas.calls().empty());
    EXPECT_EQ(canvas.state().textColour, colours::kRed);
}

TEST(CanvasColours, RgbPacksRedInTheLowByte) {
    EXPECT_EQ(rgb(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(rgb(0, 0, 255), 0xFF0000u);
    EXPECT_EQ(rgb(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(redOf(0x563412), 0x12);
    EXPECT_EQ(greenOf(0x563412), 0x34);
    EXPECT_EQ(blueOf(0x563412), 0x56);
}

}  // namespace
}  // namespace kestrune
