// What a block draws and where it answers the mouse: icon, order strip,
// caption, handles, placement, hit codes, moving and resize tracking.

#include <gtest/gtest.h>

#include "platform/recording_canvas.h"
#include "taskmodel/block_placement.h"
#include "taskmodel/handle_geometry.h"
#include "taskmodel/wire.h"
#include "test_blocks.h"

namespace kestrune::testing {
namespace {

class BlockDrawingTest : public BlockTest {
  protected:
    GainBlock& placed(Rect box = {100, 100, 132, 132}) {
        GainBlock& block = add();
        block.setBox(box);
        return block;
    }
    RecordingCanvas dc;
};

TEST_F(BlockDrawingTest, SelectedBlockShowsIconOrderNumberAndFourHandles) {
    view.orderNumbers = true;
    GainBlock& block = placed();
    block.setFlag(kFlagSelected);
    block.Draw(dc);
    block.DrawCaption(dc);

    const auto calls = dc.drawingCalls();
    ASSERT_EQ(calls.size(), 8u) << dc.dump();
    EXPECT_EQ(calls[0].op, CanvasOp::Bitmap);
    EXPECT_EQ(calls[0].a, 34113);
    EXPECT_EQ(calls[0].rect, (Rect{100, 100, 132, 132}));

    EXPECT_EQ(calls[1].op, CanvasOp::FillRect);
    EXPECT_EQ(calls[1].rect, (Rect{101, 101, 131, 116}));
    EXPECT_EQ(calls[1].colour, colours::kWhite);
    EXPECT_EQ(calls[2].op, CanvasOp::TextInRect);
    EXPECT_EQ(calls[2].text, "1");
    EXPECT_EQ(calls[2].rect, calls[1].rect);
    EXPECT_EQ(calls[2].format.horizontal, HAlign::Centre);
    EXPECT_EQ(calls[2].state.textColour, colours::kBlack);

    const std::vector<Rect> handles{
        {97, 97, 103, 103}, {129, 97, 135, 103}, {97, 129, 103, 135}, {129, 129, 135, 135}};
    for (std::size_t i = 0; i < handles.size(); ++i) {
        EXPECT_EQ(calls[3 + i].op, CanvasOp::FillRect);
        EXPECT_EQ(calls[3 + i].rect, handles[i]);
        EXPECT_EQ(calls[3 + i].colour, colours::kBlack);
    }

    const CanvasCall& caption = calls[7];
    EXPECT_EQ(caption.op, CanvasOp::TextInRect);
    EXPECT_EQ(caption.text, "SOC1");
    EXPECT_EQ(caption.rect, (Rect{80, 133, 152, 159}));
    EXPECT_EQ(caption.format.horizontal, HAlign::Centre);
    EXPECT_EQ(caption.format.vertical, VAlign::Centre);
    EXPECT_TRUE(caption.format.wordBreak);
    EXPECT_TRUE(caption.state.font.isDefault());
    EXPECT_EQ(caption.state.backgroundMode, BackgroundMode::Transparent);
    EXPECT_EQ(dc.saveDepth(), 0u);
    EXPECT_EQ(dc.state(), CanvasState{});
}

TEST_F(BlockDrawingTest, MovingOrUnselectedBlockHasNoHandles) {
    GainBlock& block = placed();
    block.Draw(dc);
    block.setFlag(kFlagSelected);
    block.setFlag(kFlagMoving);
    block.Draw(dc);
    EXPECT_EQ(dc.count(CanvasOp::FillRect), 0u);
    EXPECT_EQ(dc.count(CanvasOp::Bitmap), 2u);
}

TEST_F(BlockDrawingTest, OrderStripIsOneShorterOnAShortBox) {
    GainBlock& block = placed({0, 0, 32, 16});
    block.DrawOrder(dc);
    ASSERT_EQ(dc.calls(CanvasOp::FillRect).size(), 1u);
    EXPECT_EQ(dc.calls(CanvasOp::FillRect)[0].rect, (Rect{1, 1, 31, 15}));
}

TEST_F(BlockDrawingTest, PrintedCaptionUsesTheSmallFontWhenTheViewSaysSo) {
    GainBlock& block = placed();
    block.DrawCaptionPlain(dc);
    view.nodeFont = false;
    block.DrawCaptionPlain(dc);
    const auto texts = dc.calls(CanvasOp::TextInRect);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].state.font.isDefault());
    EXPECT_EQ(texts[1].state.font.height, 10);
    EXPECT_EQ(texts[1].state.font.width, 6);
    EXPECT_EQ(texts[1].state.font.quality, 4);
    EXPECT_EQ(texts[1].rect, block.captionRect());
}

TEST_F(BlockDrawingTest, FrameAndInvalidationCoverTheBox) {
    GainBlock& block = placed();
    block.DrawFrame(dc);
    block.Invalidate(dc);
    const auto frame = dc.calls(CanvasOp::Rectangle);
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].rect, block.box());
    EXPECT_EQ(frame[0].state.brush.style, BrushStyle::Null);
    const auto invalid = dc.calls(CanvasOp::Invalidate);
    ASSERT_EQ(invalid.size(), 1u);
    EXPECT_EQ(invalid[0].rect, (Rect{97, 97, 135, 135}));
    EXPECT_EQ(invalid[0].a, 1);
}

// ---- placement ----

TEST_F(BlockDrawingTest, PlacingWithCaptionsHiddenDrawsOnlyTheIcon) {
    view.captions = false;
    Placement p = PlaceBlock(factory, 34113, context, {50, 61}, &dc);
    ASSERT_NE(p.block, nullptr) << p.status.context;
    EXPECT_EQ(p.block->box(), (Rect{34, 45, 66, 77}));
    EXPECT_EQ(p.block->captionRect(), (Rect{14, 78, 86, 104}));
    EXPECT_EQ(graph.objects().items().back(), p.block);
    const auto calls = dc.drawingCalls();
    ASSERT_EQ(calls.size(), 1u) << dc.dump();
    EXPECT_EQ(calls[0].op, CanvasOp::Bitmap);
    EXPECT_EQ(calls[0].rect, p.block->box());
}

TEST_F(BlockDrawingTest, PlacingWithCaptionsHiddenAndOrderShownAddsTheNumber) {
    view.captions = false;
    view.orderNumbers = true;
    Placement p = PlaceBlock(factory, 34113, context, {50, 61}, &dc);
    ASSERT_NE(p.block, nullptr);
    const auto calls = dc.drawingCalls();
    ASSERT_EQ(calls.size(), 3u) << dc.dump();
    EXPECT_EQ(calls[0].op, CanvasOp::Bitmap);
    EXPECT_EQ(calls[1].op, CanvasOp::FillRect);
    EXPECT_EQ(calls[2].text, "1");
}

TEST_F(BlockDrawingTest, PlacingWithCaptionsShownDrawsTheCaptionToo) {
    Placement p = PlaceBlock(factory, 34113, context, {51, 61}, &dc);
    ASSERT_NE(p.block, nullptr);
    // Odd sizes would round the same way; the half of 32 is 16 either side.
    EXPECT_EQ(p.block->box(), (Rect{35, 45, 67, 77}));
    const auto texts = dc.calls(CanvasOp::TextInRect);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "SOC1");
}

TEST_F(BlockDrawingTest, PlacementBoxTakesIntegerHalvesOffTheClick) {
    EXPECT_EQ(PlacementBox({0, 0}), (Rect{-16, -16, 16, 16}));
    EXPECT_EQ(PlacementBox({-5, 7}), (Rect{-21, -9, 11, 23}));
}

// ---- hit testing and geometry ----

TEST_F(BlockDrawingTest, CornerClickOnASelectedBlockGivesTheHandleCode) {
    GainBlock& block = placed();
    block.setFlag(kFlagSelected);
    struct Case {
        Point p;
        int code;
    };
    for (const Case c : {Case{{100, 100}, 2}, Case{{116, 97}, 6}, Case{{132, 100}, 3}, Case{{135, 116}, 8},
                         Case{{97, 116}, 7}, Case{{100, 132}, 5}, Case{{116, 135}, 9}, Case{{132, 132}, 4},
                         Case{{129, 129}, 4}, Case{{120, 110}, 1}, Case{{136, 136}, 0}, Case{{50, 50}, 0}}) {
        EXPECT_EQ(block.HitTest(c.p.x, c.p.y), c.code == 0 ? 0 : 1) << c.p.x << "," << c.p.y;
        EXPECT_EQ(block.hitCode(), c.code) << c.p.x << "," << c.p.y;
    }
}

TEST_F(BlockDrawingTest, UnselectedBlockAnswersOnlyInsideItsBox) {
    GainBlock& block = placed();
    EXPECT_EQ(block.HitTest(100, 100), 1);
    EXPECT_EQ(block.hitCode(), kHitInside);
    EXPECT_EQ(block.HitTest(132, 132), 0);
    EXPECT_EQ(block.hitCode(), kHitNone);
}

TEST_F(BlockDrawingTest, OnATinyBoxTheFirstHandleInOrderWins) {
    GainBlock& block = placed({10, 10, 12, 12});
    block.setFlag(kFlagSelected);
    block.HitTest(11, 11);
    EXPECT_EQ(block.hitCode(), kHandleTopLeft);
    block.HitTest(14, 7);
    EXPECT_EQ(block.hitCode(), kHandleTopMiddle);
}

TEST_F(BlockDrawingTest, MoveFlagsTheWiresAndEndMoveRedrawsBothCaptions) {
    GainBlock& block = placed();
    GainBlock& target = placed({200, 100, 232, 132});
    Wire* wire = graph.Connect(block, 0, target, 0).wire;
    ASSERT_NE(wire, nullptr);
    const Rect oldCaption = block.captionRect();

    block.MoveTo({110, 120, 142, 152});
    EXPECT_TRUE(block.hasFlag(kFlagMoving));
    EXPECT_TRUE(wire->hasFlag(kFlagMoving));
    EXPECT_EQ(block.box(), (Rect{110, 120, 142, 152}));
    EXPECT_EQ(block.captionRect(), oldCaption);

    block.EndMove(dc);
    EXPECT_FALSE(block.hasFlag(kFlagMoving));
    EXPECT_EQ(block.captionRect(), (Rect{90, 153, 162, 179}));
    const auto invalid = dc.calls(CanvasOp::Invalidate);
    ASSERT_EQ(invalid.size(), 2u);
    EXPECT_EQ(invalid[0].rect, oldCaption);
    EXPECT_EQ(invalid[1].rect, block.captionRect());
}

TEST_F(BlockDrawingTest, BoundsAndIntersection) {
    GainBlock& block = placed();
    Rect bounds;
    block.ExtendBounds(bounds);
    EXPECT_EQ(bounds, (Rect{0, 0, 132, 132}));
    EXPECT_TRUE(block.Intersects({70, 150, 90, 155}));  // the caption only
    EXPECT_FALSE(block.Intersects({0, 0, 100, 100}));   // touches the corner
    EXPECT_TRUE(block.IsInside({100, 100, 132, 132}));
    EXPECT_FALSE(block.IsInside({101, 100, 140, 140}));
}

TEST_F(BlockDrawingTest, TrackerFixesTheOppositeCornerOrEdge) {
    GainBlock& block = placed();
    block.setFlag(kFlagSelected);
    ResizeTracker t;
    block.HitTest(100, 100);
    block.TrackRect(t);
    EXPECT_EQ(t.mode, ResizeTracker::kModeResize);
    EXPECT_EQ(t.rect, (Rect{132, 132, 100, 100}));
    EXPECT_EQ(TrackedRect(block.box(), t, {90, 95}), (Rect{90, 95, 132, 132}));

    block.HitTest(116, 100);
    block.TrackRect(t);
    EXPECT_EQ(t.rect, (Rect{100, 132, ResizeTracker::kLockedX, 100}));
    EXPECT_EQ(TrackedRect(block.box(), t, {300, 80}), (Rect{100, 80, 132, 132}));

    block.HitTest(132, 116);
    block.TrackRect(t);
    EXPECT_EQ(t.rect, (Rect{100, 100, 132, ResizeTracker::kLockedY}));
    EXPECT_EQ(TrackedRect(block.box(), t, {150, -40}), (Rect{100, 100, 150, 132}));

    block.HitTest(120, 120);
    block.TrackRect(t);
    EXPECT_EQ(t.mode, 0);
    EXPECT_EQ(TrackedRect(block.box(), t, {0, 0}), block.box());
}

}  // namespace
}  // namespace kestrune::testing
