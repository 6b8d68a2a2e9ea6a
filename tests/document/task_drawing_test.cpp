// How a task is painted and hit-tested: wires in blue with joints and an
// arrow head, handles on selected wires, the drawing order (captions, wires,
// blocks), the wire region, and which object a click finds.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/document_fixture.h"
#include "document/task_drawing.h"
#include "platform/recording_canvas.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/wire.h"

namespace kestrune::testing {
namespace {

class TaskDrawingTest : public DocumentTest {
  protected:
    void SetUp() override {
        world = makeWorld();
        StrategyTask& task = document().task(0);
        left = &addGain(task, 1.0f, {60, 60, 92, 92});
        right = &addGain(task, 2.0f, {220, 60, 252, 92});
        const std::vector<Point> points = {{92, 75}, {150, 75}, {150, 70}, {220, 70}};
        ConnectOutcome outcome = task.graph().Connect(*left, 0, *right, 0, points);
        ASSERT_TRUE(outcome.accepted()) << outcome.code;
        wire = outcome.wire;
    }

    StrategyDocument& document() { return *world->document; }
    static std::size_t count(const RecordingCanvas& c, CanvasOp op) { return c.count(op); }

    std::unique_ptr<DocumentWorld> world;

    Block* left = nullptr;
    Block* right = nullptr;
    Wire* wire = nullptr;
};

TEST_F(TaskDrawingTest, AWireIsABluePolylineWithBlackJointsAndAnArrowHead) {
    RecordingCanvas canvas;
    DrawWire(*wire, canvas);
    const auto polylines = canvas.calls(CanvasOp::Polyline);
    ASSERT_EQ(polylines.size(), 1u);
    EXPECT_EQ(polylines[0].points.size(), 4u);
    EXPECT_EQ(polylines[0].state.pen.colour, kWireColour);
    EXPECT_EQ(polylines[0].state.pen.width, 1);
    // Eight black pixels around each point but the last.
    const auto pixels = canvas.calls(CanvasOp::Pixel);
    ASSERT_EQ(pixels.size(), 24u);
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(),
                            [](const CanvasCall& c) { return c.colour == colours::kBlack; }));
    // The arrow head: four strokes across the last (horizontal) segment, just before the target.
    const auto lines = canvas.calls(CanvasOp::Line);
    ASSERT_EQ(lines.size(), 4u);
    for (const CanvasCall& line : lines) {
        EXPECT_EQ(line.points[0].x, line.points[1].x) << "vertical stroke";
        EXPECT_LT(line.points[0].x, 220);
        EXPECT_GE(line.points[0].x, 216);
    }
    EXPECT_EQ(count(canvas, CanvasOp::FillRect), 0u) << "no handles while not selected";
    EXPECT_EQ(canvas.state(), CanvasState{}) << "the state is restored";
    EXPECT_EQ(canvas.clipDepth(), 0u);
}

TEST_F(TaskDrawingTest, ASelectedWireShowsSquaresOnEveryPointButTheLast) {
    wire->setFlag(kFlagSelected);
    RecordingCanvas canvas;
    DrawWire(*wire, canvas);
    const auto squares = canvas.calls(CanvasOp::FillRect);
    ASSERT_EQ(squares.size(), 3u);
    EXPECT_EQ(squares[0].rect, (Rect{89, 72, 95, 78}));
    wire->setFlag(kFlagMoving);
    RecordingCanvas moving;
    DrawWire(*wire, moving);
    EXPECT_EQ(count(moving, CanvasOp::FillRect), 0u);
}

TEST_F(TaskDrawingTest, AVerticalLastSegmentPointsTheArrowDown) {
    const std::vector<Point> points = {{92, 75}, {236, 75}, {236, 60}};
    wire->setPoints(points);
    RecordingCanvas canvas;
    DrawWire(*wire, canvas);
    for (const CanvasCall& line : canvas.calls(CanvasOp::Line)) {
        EXPECT_EQ(line.points[0].y, line.points[1].y) << "horizontal stroke";
        EXPECT_GT(line.points[0].y, 60) << "behind a tip reached going up";
    }
}

TEST_F(TaskDrawingTest, TheRegionLeavesOutTheBoxesButKeepsTheFirstPoint) {
    EXPECT_TRUE(WireRegionContains(*wire, {120, 77}));   // beside the first segment
    EXPECT_TRUE(WireRegionContains(*wire, {150, 72}));   // on the bend
    EXPECT_FALSE(WireRegionContains(*wire, {120, 90}));  // too far from it
    EXPECT_TRUE(
        WireRegionContains(*wire, {90, 75}));  // the square around the first point, inside the source box
    EXPECT_FALSE(WireRegionContains(*wire, {222, 70}));  // inside the target box
    EXPECT_EQ(WireRegionBounds(*wire), (Rect{89, 67, 223, 78}));
}

TEST_F(TaskDrawingTest, AClickFindsBlocksBeforeWires) {
    StrategyTask& task = document().task(0);
    EXPECT_EQ(HitTestTask(task, {70, 70}), left);
    EXPECT_EQ(HitTestTask(task, {120, 76}), wire);
    EXPECT_EQ(HitTestTask(task, {90, 75}), left) << "the box wins over the wire's first point";
    EXPECT_EQ(HitTestTask(task, {600, 600}), nullptr);
}

TEST_F(TaskDrawingTest, TheTaskDrawsCaptionsThenWiresThenBlocks) {
    RecordingCanvas canvas;
    DrawTaskObjects(document().task(0), canvas, {0, 0, 1600, 1200});
    std::vector<CanvasOp> order;
    for (const CanvasCall& call : canvas.calls())
        if (call.op == CanvasOp::TextInRect || call.op == CanvasOp::Polyline || call.op == CanvasOp::Bitmap)
            order.push_back(call.op);
    const std::vector<CanvasOp> expected = {CanvasOp::TextInRect, CanvasOp::TextInRect, CanvasOp::Polyline,
                                            CanvasOp::Bitmap, CanvasOp::Bitmap};
    EXPECT_EQ(order, expected);
}

TEST_F(TaskDrawingTest, OnlyWhatMeetsTheAreaIsDrawnAndCaptionsCanBeHidden) {
    StrategyTask& task = document().task(0);
    task.setShowCaptions(false);
    RecordingCanvas canvas;
    DrawTaskObjects(task, canvas, {0, 0, 100, 100});
    EXPECT_EQ(count(canvas, CanvasOp::TextInRect), 0u);
    ASSERT_EQ(count(canvas, CanvasOp::Bitmap), 1u);
    EXPECT_EQ(canvas.calls(CanvasOp::Bitmap)[0].rect, left->box());
    EXPECT_EQ(count(canvas, CanvasOp::Polyline), 1u);
    RecordingCanvas far;
    DrawTaskObjects(task, far, {1000, 1000, 1100, 1100});
    EXPECT_TRUE(far.calls().empty());
}

}  // namespace
}  // namespace kestrune::testing
