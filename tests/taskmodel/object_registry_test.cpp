#include "taskmodel/object_registry.h"

#include <gtest/gtest.h>

#include "test_nodes.h"

namespace kestrune::testing {
namespace {

class RegistryTest : public GraphTest {
  protected:
    std::unique_ptr<TestNode> make(std::int16_t kind = kPidKind) {
        return std::make_unique<TestNode>(context, kind, std::initializer_list<DataType>{},
                                          std::initializer_list<DataType>{});
    }
};

TEST_F(RegistryTest, FirstObjectOfANewStrategyGetsId1) {
    EXPECT_EQ(registry.NextObjectId(), 1);
    auto first = make();
    EXPECT_EQ(first->id(), 1);
    EXPECT_EQ(registry.FindObject(1), first.get());
}

TEST_F(RegistryTest, NextIdIsOneAboveTheLargest) {
    auto a = make();
    auto b = make();
    auto c = make();
    c->setId(7);  // as a loaded record does
    ASSERT_EQ(a->id(), 1);
    ASSERT_EQ(b->id(), 2);
    EXPECT_EQ(registry.NextObjectId(), 8);
    EXPECT_EQ(make()->id(), 8);
    // A gap below the largest id is not reused.
    b.reset();
    EXPECT_EQ(registry.NextObjectId(), 8);
}

TEST_F(RegistryTest, FindObjectFollowsIdChangesAndRemovals) {
    auto a = make();
    const std::uint16_t first = a->id();
    a->setId(40);
    EXPECT_EQ(registry.FindObject(first), nullptr);
    EXPECT_EQ(registry.FindObject(40), a.get());
    EXPECT_EQ(registry.FindNode(40), a.get());
    a.reset();
    EXPECT_EQ(registry.FindObject(40), nullptr);
    EXPECT_EQ(registry.size(), 0u);
}

TEST_F(RegistryTest, ZeroAndOutOfRangeIdsFindNothing) {
    auto a = make();
    a->setId(0);
    EXPECT_EQ(registry.FindObject(0), nullptr);
    EXPECT_EQ(registry.FindObject(0x10001), nullptr);
}

TEST_F(RegistryTest, ADuplicatedIdResolvesToTheObjectRegisteredFirst) {
    auto a = make();
    auto b = make();
    b->setId(a->id());
    EXPECT_EQ(registry.FindObject(a->id()), a.get());
    a.reset();
    EXPECT_EQ(registry.FindObject(b->id()), b.get());
}

TEST_F(RegistryTest, WireIsFoundButIsNoNode) {
    Wire w(registry);
    EXPECT_EQ(registry.FindObject(w.id()), &w);
    EXPECT_EQ(registry.FindNode(w.id()), nullptr);
}

TEST_F(RegistryTest, InstanceNumberIsTheLowestFreeOfItsKind) {
    auto pid1 = make();
    pid1->setInstanceNumber(1);
    auto pid3 = make();
    pid3->setInstanceNumber(3);
    auto meter2 = make(kMeterKind);
    meter2->setInstanceNumber(2);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 2);
    EXPECT_EQ(registry.NextInstanceNumber(kMeterKind), 1);
    EXPECT_EQ(registry.NextInstanceNumber(99), 1);
    auto pid2 = make();
    pid2->setInstanceNumber(2);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 4);
}

TEST_F(RegistryTest, ARemovedObjectFreesItsInstanceNumber) {
    auto pid1 = make();
    pid1->setInstanceNumber(1);
    auto pid2 = make();
    pid2->setInstanceNumber(2);
    auto pid3 = make();
    pid3->setInstanceNumber(3);
    pid2.reset();
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 2);
    pid1.reset();
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 1);
    pid3.reset();
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 1);
}

TEST_F(RegistryTest, RenumberingAnObjectFreesItsOldNumber) {
    auto pid = make();
    pid->setInstanceNumber(1);
    auto other = make();
    other->setInstanceNumber(2);
    pid->setInstanceNumber(7);  // a loaded record's number replaces the constructor's
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 1);
    other->setInstanceNumber(1);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 2);
}

TEST_F(RegistryTest, ANumberHeldTwiceStaysTakenUntilBothLetGo) {
    auto a = make();
    a->setInstanceNumber(1);
    auto b = make();
    b->setInstanceNumber(1);  // a damaged file
    a.reset();
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 2);
    b->setInstanceNumber(5);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 1);
}

TEST_F(RegistryTest, LoadingARootPartTakesTheStoredInstanceNumber) {
    auto a = make();
    a->setInstanceNumber(1);
    BinaryWriter out;
    out.u32(9);
    out.i16(kPidKind);
    out.u16(4);
    const auto bytes = out.take();
    BinaryReader in(bytes);
    ASSERT_TRUE(a->GraphObject::Load(in, 0).ok());
    EXPECT_EQ(a->instanceNumber(), 4);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 1);
    auto b = make();
    b->setInstanceNumber(registry.NextInstanceNumber(kPidKind));
    EXPECT_EQ(b->instanceNumber(), 1);
    EXPECT_EQ(registry.NextInstanceNumber(kPidKind), 2);
}

TEST_F(RegistryTest, ObjectsAreKeptInRegistrationOrder) {
    auto a = make();
    auto b = make();
    auto c = make();
    b.reset();
    auto d = make();
    EXPECT_EQ(registry.objects(), (std::vector<GraphObject*>{a.get(), c.get(), d.get()}));
}

TEST_F(RegistryTest, RegisteringAndLeavingMarkTheStrategyModified) {
    auto a = make();
    EXPECT_TRUE(registry.modified());
    registry.setModified(false);
    a.reset();
    EXPECT_TRUE(registry.modified());
}

TEST_F(RegistryTest, TwoStrategiesNeverShareIds) {
    ObjectRegistry other;
    NodeContext otherContext{other};
    auto here = make();
    TestNode there(otherContext, kPidKind, {}, {});
    EXPECT_EQ(here->id(), 1);
    EXPECT_EQ(there.id(), 1);
    EXPECT_EQ(registry.FindObject(1), here.get());
    EXPECT_EQ(other.FindObject(1), &there);
}

TEST_F(RegistryTest, AfterTheLargestIdTheLowestFreeIdIsHandedOut) {
    auto a = make();
    auto b = make();
    auto c = make();
    c->setId(0xFFFF);
    a.reset();  // frees 1
    EXPECT_EQ(registry.NextObjectId(), 1);
    auto d = make();
    EXPECT_EQ(d->id(), 1);
    EXPECT_EQ(registry.NextObjectId(), 3);
}

}  // namespace
}  // namespace kestrune::testing
