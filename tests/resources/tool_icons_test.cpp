#include "resources/tool_icons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "platform/recording_canvas.h"

namespace kestrune {
namespace {

std::vector<int> catalogueToolIds() {
    std::vector<int> ids;
    for (int id = 34100; id <= 34129; ++id) ids.push_back(id);  // pointer, wire, block kinds
    for (int id = 34000; id <= 34024; ++id) ids.push_back(id);  // pointer, display items
    return ids;
}

// Everything a call puts on the surface must lie inside `area`.
::testing::AssertionResult drawnInside(const CanvasCall& c, const Rect& area) {
    if (!c.rect.isEmpty() && !area.contains(c.rect.normalized())) {
        return ::testing::AssertionFailure() << c.describe() << " leaves " << area.left << "," << area.top;
    }
    for (const Point& p : c.points) {
        if (!area.contains(p)) return ::testing::AssertionFailure() << c.describe() << " has a point outside";
    }
    return ::testing::AssertionSuccess();
}

class ToolIconTest : public ::testing::TestWithParam<int> {};

TEST_P(ToolIconTest, DrawsInsideItsBoxAtTheCommonSize) {
    const Rect box = Rect::fromSize({100, 40}, toolIconSize());
    RecordingCanvas canvas;
    ASSERT_TRUE(hasToolIcon(GetParam()));
    ASSERT_TRUE(drawToolIcon(canvas, GetParam(), box));
    const auto drawn = canvas.drawingCalls();
    EXPECT_FALSE(drawn.empty());
    for (const CanvasCall& c : drawn) {
        EXPECT_TRUE(drawnInside(c, box));
        EXPECT_EQ(c.clip, box) << c.describe();
    }
}

TEST_P(ToolIconTest, ScalesToALargerBox) {
    const Rect box{-70, 10, -6, 74};  // 64 x 64, left of the origin
    RecordingCanvas canvas;
    ASSERT_TRUE(drawToolIcon(canvas, GetParam(), box));
    for (const CanvasCall& c : canvas.drawingCalls()) EXPECT_TRUE(drawnInside(c, box));
}

TEST_P(ToolIconTest, LeavesTheCanvasStateAsItWas) {
    RecordingCanvas canvas;
    canvas.setPen({colours::kRed, 2, PenStyle::Dot});
    canvas.setTextColour(colours::kGreen);
    canvas.pushClip({0, 0, 500, 500});
    const CanvasState before = canvas.state();
    drawToolIcon(canvas, GetParam(), Rect::fromSize({5, 5}, toolIconSize()));
    EXPECT_EQ(canvas.state(), before);
    EXPECT_EQ(canvas.saveDepth(), 0u);
    EXPECT_EQ(canvas.clipRect(), (Rect{0, 0, 500, 500}));
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ToolIconTest, ::testing::ValuesIn(catalogueToolIds()));

TEST(ToolIcons, CommonSizeIsThirtyTwoSquare) {
    EXPECT_EQ(toolIconSize(), (Size{32, 32}));
}

TEST(ToolIcons, IdsWithoutAToolHaveNoIcon) {
    for (int id : {0, -1, 33999, 34025, 34099, 34130, 34131, 34200, 401, 11}) {
        RecordingCanvas canvas;
        EXPECT_FALSE(hasToolIcon(id)) << id;
        EXPECT_FALSE(drawToolIcon(canvas, id, {0, 0, 32, 32})) << id;
        EXPECT_TRUE(canvas.calls().empty()) << id;
    }
}

TEST(ToolIcons, ListedIdsAreExactlyTheTools) {
    const std::vector<int> ids = toolIconIds();
    std::vector<int> expected = catalogueToolIds();
    EXPECT_EQ(ids, expected);  // task tools first, each group in id order
}

TEST(ToolIcons, EveryIconLooksDifferent) {
    std::map<std::string, int> seen;
    for (int id : toolIconIds()) {
        if (id == 34000) continue;  // the display toolbox's pointer is the task toolbox's
        RecordingCanvas canvas;
        drawToolIcon(canvas, id, {0, 0, 32, 32});
        const auto [it, inserted] = seen.emplace(canvas.dump(), id);
        EXPECT_TRUE(inserted) << id << " draws the same as " << it->second;
    }
}

TEST(ToolIcons, TheTwoPointersAreTheSameArrow) {
    RecordingCanvas task;
    RecordingCanvas display;
    drawToolIcon(task, 34100, {0, 0, 32, 32});
    drawToolIcon(display, 34000, {0, 0, 32, 32});
    EXPECT_EQ(task.dump(), display.dump());
}

TEST(ToolIcons, BlockIconsCarryAShortLabel) {
    for (int id = 34102; id <= 34129; ++id) {
        RecordingCanvas canvas;
        drawToolIcon(canvas, id, {0, 0, 32, 32});
        const auto texts = canvas.calls(CanvasOp::TextInRect);
        ASSERT_FALSE(texts.empty()) << id;
        EXPECT_GE(texts[0].text.size(), 2u) << id;
        EXPECT_LE(texts[0].text.size(), 4u) << id;
        // The label must fit its band in the fixed metric of the font it uses.
        canvas.setFont(texts[0].state.font);
        EXPECT_LE(canvas.textExtent(texts[0].text).width, texts[0].rect.width())
            << id << " " << texts[0].text;
    }
}

}  // namespace
}  // namespace kestrune
