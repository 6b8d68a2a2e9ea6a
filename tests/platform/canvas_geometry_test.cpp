#include "platform/geometry.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(Geometry, RightAndBottomEdgesAreOutside) {
    const Rect r{10, 20, 42, 52};
    EXPECT_EQ(r.width(), 32);
    EXPECT_EQ(r.height(), 32);
    EXPECT_TRUE(r.contains(Point{10, 20}));
    EXPECT_TRUE(r.contains(Point{41, 51}));
    EXPECT_FALSE(r.contains(Point{42, 30}));
    EXPECT_FALSE(r.contains(Point{20, 52}));
    EXPECT_FALSE(r.contains(Point{9, 30}));
}

TEST(Geometry, EmptyMeansNoArea) {
    EXPECT_TRUE(Rect{}.isEmpty());
    EXPECT_TRUE((Rect{5, 5, 5, 10}.isEmpty()));
    EXPECT_TRUE((Rect{5, 5, 10, 5}.isEmpty()));
    EXPECT_TRUE((Rect{10, 10, 5, 20}.isEmpty()));  // spanned backwards
    EXPECT_FALSE((Rect{5, 5, 6, 6}.isEmpty()));
    EXPECT_FALSE((Rect{10, 10, 5, 20}.normalized().isEmpty()));
}

TEST(Geometry, NormalizedSwapsBackwardCorners) {
    EXPECT_EQ((Rect{50, 40, 10, 5}.normalized()), (Rect{10, 5, 50, 40}));
    EXPECT_EQ((Rect{-3, 7, -9, 2}.normalized()), (Rect{-9, 2, -3, 7}));
}

TEST(Geometry, InflateAndOffset) {
    const Rect box{10, 10, 42, 42};
    EXPECT_EQ(box.inflated(3), (Rect{7, 7, 45, 45}));
    EXPECT_EQ(box.inflated(-16, 0), (Rect{26, 10, 26, 42}));
    EXPECT_TRUE(box.inflated(-16, 0).isEmpty());
    EXPECT_EQ(box.offsetBy(-10, 5), (Rect{0, 15, 32, 47}));
}

TEST(Geometry, TouchingRectanglesDoNotIntersect) {
    const Rect a{0, 0, 10, 10};
    EXPECT_FALSE(a.intersects(Rect{10, 0, 20, 10}));
    EXPECT_FALSE(a.intersects(Rect{0, 10, 10, 20}));
    EXPECT_TRUE(a.intersects(Rect{9, 9, 20, 20}));
    EXPECT_EQ(a.intersected(Rect{9, 9, 20, 20}), (Rect{9, 9, 10, 10}));
    EXPECT_EQ(a.intersected(Rect{10, 0, 20, 10}), Rect{});
    EXPECT_FALSE(a.intersects(Rect{5, 5, 5, 5}));  // empty meets nothing
}

TEST(Geometry, ContainsRectAllowsTouchingEdges) {
    const Rect area{0, 0, 100, 100};
    EXPECT_TRUE(area.contains(Rect{0, 0, 100, 100}));
    EXPECT_TRUE(area.contains(Rect{10, 10, 20, 20}));
    EXPECT_FALSE(area.contains(Rect{90, 10, 101, 20}));
    EXPECT_FALSE(area.contains(Rect{-1, 10, 20, 20}));
}

TEST(Geometry, UnitedIgnoresEmptyOperandsButExtendedDoesNot) {
    const Rect a{10, 10, 20, 20};
    EXPECT_EQ(a.united(Rect{}), a);
    EXPECT_EQ(Rect{}.united(a), a);
    EXPECT_EQ(Rect{}.united(Rect{3, 3, 3, 9}), Rect{});
    EXPECT_EQ(a.united(Rect{30, 0, 40, 5}), (Rect{10, 0, 40, 20}));
    // Growing bounds from the origin keeps the origin.
    EXPECT_EQ(Rect{}.extended(a), (Rect{0, 0, 20, 20}));
}

TEST(Geometry, CentreAndPlacementUseTruncatedHalves) {
    EXPECT_EQ((Rect{0, 0, 33, 33}.centre()), (Point{16, 16}));
    EXPECT_EQ((Rect{-5, -5, 0, 0}.centre()), (Point{-2, -2}));  // truncation toward zero
    const Rect placed = Rect::centredAt({100, 50}, {32, 32});
    EXPECT_EQ(placed, (Rect{84, 34, 116, 66}));
    EXPECT_EQ(Rect::centredAt({0, 0}, {5, 3}), (Rect{-2, -1, 3, 2}));
}

}  // namespace
}  // namespace kestrune
