// Tag locks: a locked tag takes writes only with its key.
#include <gtest/gtest.h>

#include <set>

#include "components/tagdb/tag_database.h"

namespace kestrune {
namespace {

class TagLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(db.AddTag("VIRTASK", "SETPOINT", kTagFloat), kOk);
        id = db.GetTagID("VIRTASK", "SETPOINT");
        handle = db.GetTagEntryPtr("VIRTASK", "SETPOINT");
    }
    float value() {
        DB_PARAM p = DB_PARAM::Float(0);
        EXPECT_EQ(db.GetDataX(id, &p), kOk);
        return p.value.fVal;
    }

    TagDatabase db;
    std::uint32_t id = 0;
    TagRecord* handle = nullptr;
};

TEST_F(TagLockTest, LockedTagRefusesUnkeyedWritesOnEveryPath) {
    const std::uint32_t key = db.LockTag("VIRTASK", "SETPOINT");
    ASSERT_NE(key, 0u);
    EXPECT_TRUE(db.IsTagLocked("VIRTASK", "SETPOINT"));
    EXPECT_TRUE(db.IsTagLockedX(id));
    DB_PARAM p = DB_PARAM::Float(5.0f);
    EXPECT_EQ(db.SetData("VIRTASK", "SETPOINT", &p), kTagLocked);
    EXPECT_EQ(db.SetDataX(id, &p), kTagLocked);
    EXPECT_EQ(db.SetDataExp(handle, &p), kTagLocked);
    EXPECT_EQ(value(), 0.0f);  // and still reads
}

TEST_F(TagLockTest, OnlyTheRightKeyWrites) {
    const std::uint32_t key = db.LockTagX(id);
    ASSERT_NE(key, 0u);
    DB_PARAM p = DB_PARAM::Float(5.0f);
    EXPECT_EQ(db.SetLockedData("VIRTASK", "SETPOINT", key + 1, &p), kTagBadKey);
    EXPECT_EQ(db.SetLockedDataX(id, 0, &p), kTagBadKey);
    EXPECT_EQ(value(), 0.0f);
    EXPECT_EQ(db.SetLockedData("VIRTASK", "SETPOINT", key, &p), kOk);
    EXPECT_EQ(value(), 5.0f);
    p = DB_PARAM::Float(6.0f);
    EXPECT_EQ(db.SetLockedDataX(id, key, &p), kOk);
    EXPECT_EQ(value(), 6.0f);
    p = DB_PARAM::Float(7.0f);
    EXPECT_EQ(db.SetLockedDataExp(handle, key, &p), kOk);
    EXPECT_EQ(value(), 7.0f);
}

TEST_F(TagLockTest, SecondLockIsRefusedUntilUnlocked) {
    const std::uint32_t key = db.LockTag("VIRTASK", "SETPOINT");
    ASSERT_NE(key, 0u);
    EXPECT_EQ(db.LockTag("VIRTASK", "SETPOINT"), 0u);
    EXPECT_EQ(db.UnlockTag("VIRTASK", "SETPOINT", key ^ 1), kTagBadKey);
    EXPECT_TRUE(db.IsTagLocked("VIRTASK", "SETPOINT"));
    EXPECT_EQ(db.UnlockTag("VIRTASK", "SETPOINT", key), kOk);
    EXPECT_FALSE(db.IsTagLocked("VIRTASK", "SETPOINT"));
    EXPECT_EQ(db.UnlockTagX(id, key), kTagNotLocked);

    DB_PARAM p = DB_PARAM::Float(1.0f);
    EXPECT_EQ(db.SetDataX(id, &p), kOk);
    // The old key means nothing once the tag is unlocked and locked anew.
    const std::uint32_t again = db.LockTagX(id);
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, key);
    EXPECT_EQ(db.SetLockedDataX(id, key, &p), kTagBadKey);
}

TEST_F(TagLockTest, KeyedWriteToAnUnlockedTagIsAnOrdinaryWrite) {
    DB_PARAM p = DB_PARAM::Float(2.0f);
    EXPECT_EQ(db.SetLockedDataX(id, 1234, &p), kOk);
    EXPECT_EQ(value(), 2.0f);
}

TEST_F(TagLockTest, UnknownTagsGiveNoKey) {
    EXPECT_EQ(db.LockTag("VIRTASK", "NONE"), 0u);
    EXPECT_EQ(db.LockTagX(kTagIdUnknownTag), 0u);
    EXPECT_EQ(db.UnlockTag("NONE", "X", 1), kTagUnknownTask);
    EXPECT_EQ(db.UnlockTagX(0, 1), kTagUnknownTag);
}

TEST_F(TagLockTest, ClearAllUnlocksEveryTag) {
    ASSERT_EQ(db.AddTag("VIRTASK", "OTHER", kTagInt32), kOk);
    ASSERT_NE(db.LockTag("VIRTASK", "SETPOINT"), 0u);
    ASSERT_NE(db.LockTag("VIRTASK", "OTHER"), 0u);
    db.ClearAllLockedTag();
    EXPECT_FALSE(db.IsTagLocked("VIRTASK", "SETPOINT"));
    EXPECT_FALSE(db.IsTagLocked("VIRTASK", "OTHER"));
    DB_PARAM p = DB_PARAM::Float(3.0f);
    EXPECT_EQ(db.SetDataExp(handle, &p), kOk);
}

TEST_F(TagLockTest, KeysDifferFromLockToLock) {
    std::set<std::uint32_t> keys;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t key = db.LockTagX(id);
        ASSERT_NE(key, 0u);
        keys.insert(key);
        ASSERT_EQ(db.UnlockTagX(id, key), kOk);
    }
    EXPECT_EQ(keys.size(), 1000u);
}

TEST_F(TagLockTest, DeletingALockedTagFreesItsName) {
    ASSERT_NE(db.LockTag("VIRTASK", "SETPOINT"), 0u);
    ASSERT_EQ(db.DeleteTag("VIRTASK", "SETPOINT"), kOk);
    EXPECT_FALSE(handle->isLocked());
    ASSERT_EQ(db.AddTag("VIRTASK", "SETPOINT", kTagFloat), kOk);
    EXPECT_FALSE(db.IsTagLocked("VIRTASK", "SETPOINT"));
}

}  // namespace
}  // namespace kestrune
