#include "taskmodel/instance_numbers.h"

#include <gtest/gtest.h>

namespace kestrune::testing {
namespace {

class InstanceNumbersTest : public ::testing::Test {
  protected:
    void addRange(std::uint32_t from, std::uint32_t to) {
        for (std::uint32_t n = from; n <= to; ++n) numbers.add(static_cast<std::uint16_t>(n));
    }
    InstanceNumbers numbers;
};

TEST_F(InstanceNumbersTest, AnEmptyKindStartsAtOne) {
    EXPECT_TRUE(numbers.empty());
    EXPECT_EQ(numbers.lowestFree(), 1);
}

TEST_F(InstanceNumbersTest, ZeroIsNeitherRecordedNorHandedOut) {
    numbers.add(0);
    EXPECT_TRUE(numbers.empty());
    EXPECT_FALSE(numbers.contains(0));
    numbers.remove(0);
    EXPECT_EQ(numbers.lowestFree(), 1);
}

TEST_F(InstanceNumbersTest, TheLowestGapIsHandedOutFirst) {
    numbers.add(1);
    numbers.add(3);
    EXPECT_EQ(numbers.lowestFree(), 2);
    numbers.add(2);
    EXPECT_EQ(numbers.lowestFree(), 4);
    numbers.remove(1);
    EXPECT_EQ(numbers.lowestFree(), 1);
}

TEST_F(InstanceNumbersTest, ASharedNumberIsFreeOnlyWhenEveryHolderLetsGo) {
    numbers.add(1);
    numbers.add(1);
    numbers.remove(1);
    EXPECT_TRUE(numbers.contains(1));
    EXPECT_EQ(numbers.lowestFree(), 2);
    numbers.remove(1);
    EXPECT_FALSE(numbers.contains(1));
    EXPECT_TRUE(numbers.empty());
    EXPECT_EQ(numbers.lowestFree(), 1);
}

TEST_F(InstanceNumbersTest, RemovingANumberNotHeldChangesNothing) {
    numbers.add(2);
    numbers.remove(5);
    numbers.remove(700);
    EXPECT_TRUE(numbers.contains(2));
    EXPECT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.lowestFree(), 1);
}

// The word boundaries of the search: 63/64 and 127/128 change words, and the
// first word is full with 1..63 since 0 never counts as free.
TEST_F(InstanceNumbersTest, GapsAcrossWordBoundariesAreFound) {
    addRange(1, 63);
    EXPECT_EQ(numbers.lowestFree(), 64);
    addRange(64, 200);
    EXPECT_EQ(numbers.lowestFree(), 201);
    numbers.remove(128);
    EXPECT_EQ(numbers.lowestFree(), 128);
    numbers.remove(64);
    EXPECT_EQ(numbers.lowestFree(), 64);
    numbers.add(64);
    numbers.add(128);
    EXPECT_EQ(numbers.lowestFree(), 201);
}

TEST_F(InstanceNumbersTest, AHighNumberFromAFileLeavesTheLowOnesFree) {
    numbers.add(65535);
    EXPECT_EQ(numbers.lowestFree(), 1);
    addRange(1, 4095);
    EXPECT_EQ(numbers.lowestFree(), 4096);
}

TEST_F(InstanceNumbersTest, EveryNumberTakenLeavesNoneToHandOut) {
    addRange(1, 65535);
    EXPECT_EQ(numbers.lowestFree(), 0);
    numbers.remove(65535);
    EXPECT_EQ(numbers.lowestFree(), 65535);
    numbers.remove(4097);
    EXPECT_EQ(numbers.lowestFree(), 4097);
}

}  // namespace
}  // namespace kestrune::testing
