#include "components/tagdb/tag_database.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrune {
namespace {

class TagDatabaseTest : public ::testing::Test {
  protected:
    std::int32_t readInt(std::string_view task, std::string_view tag) {
        DB_PARAM p = DB_PARAM::Int(-1);
        EXPECT_EQ(db.GetData(task, tag, &p), kOk);
        return p.value.lVal;
    }

    TagDatabase db;
};

TEST_F(TagDatabaseTest, SameTagByNameIdAndHandle) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagInt32), kOk);
    const std::uint32_t id = db.GetTagID("TASK1", "AI1");
    TagRecord* handle = db.GetTagEntryPtr("TASK1", "AI1");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->id(), id);
    EXPECT_EQ(db.GetTagEntryPtrX(id), handle);

    DB_PARAM p = DB_PARAM::Int(11);
    EXPECT_EQ(db.SetDataExp(handle, &p), kOk);
    EXPECT_EQ(readInt("TASK1", "AI1"), 11);
    p = DB_PARAM::Int(22);
    EXPECT_EQ(db.SetData("TASK1", "AI1", &p), kOk);
    DB_PARAM back = DB_PARAM::Int(0);
    EXPECT_EQ(db.GetDataX(id, &back), kOk);
    EXPECT_EQ(back.value.lVal, 22);
    p = DB_PARAM::Int(33);
    EXPECT_EQ(db.SetDataX(id, &p), kOk);
    EXPECT_EQ(db.GetDataExp(handle, &back), kOk);
    EXPECT_EQ(back.value.lVal, 33);
}

TEST_F(TagDatabaseTest, NamesAreUpperCasedOnEntry) {
    ASSERT_EQ(db.AddTag("task1", "ai1", kTagFloat), kOk);
    EXPECT_TRUE(db.IsTagExist("TASK1", "AI1"));
    EXPECT_TRUE(db.IsTagExist("Task1", "Ai1"));
    EXPECT_EQ(db.GetTagList("TASK1"), std::vector<std::string>{"AI1"});
    EXPECT_EQ(db.GetTaskList(), std::vector<std::string>{"TASK1"});
    EXPECT_EQ(db.AddTag("TASK1", "AI1", kTagFloat), kTagExists);
}

TEST_F(TagDatabaseTest, UnknownTaskAndTagHaveTheirIdsAndCodes) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagInt32), kOk);
    EXPECT_EQ(db.GetTagID("NOTASK", "AI1"), kTagIdUnknownTask);
    EXPECT_EQ(db.GetTagID("TASK1", "NOTAG"), kTagIdUnknownTag);
    EXPECT_EQ(db.GetTagID("", "AI1"), kTagIdUnknownTask);
    EXPECT_EQ(db.GetTagID("TASK1", ""), kTagIdUnknownTag);

    DB_PARAM p = DB_PARAM::Int(1);
    EXPECT_EQ(db.SetData("NOTASK", "AI1", &p), kTagUnknownTask);
    EXPECT_EQ(db.GetData("TASK1", "NOTAG", &p), kTagUnknownTag);
    EXPECT_EQ(db.SetDataX(kTagIdUnknownTask, &p), kTagUnknownTag);
    EXPECT_EQ(db.GetDataX(kTagIdUnknownTag, &p), kTagUnknownTag);
    EXPECT_EQ(db.GetDataX(0, &p), kTagUnknownTag);
    EXPECT_EQ(db.SetDataExp(nullptr, &p), kTagUnknownTag);
    EXPECT_EQ(db.GetTagEntryPtr("TASK1", "NOTAG"), nullptr);
    EXPECT_EQ(db.GetTagType("TASK1", "NOTAG"), kUnknownTagType);
    EXPECT_EQ(db.GetTagTypeX(kTagIdUnknownTag), kUnknownTagType);
    EXPECT_EQ(db.GetTagTypeX(db.GetTagID("TASK1", "AI1")), kTagInt32);
}

TEST_F(TagDatabaseTest, BadNamesAndTypesAreRefused) {
    EXPECT_EQ(db.AddTag("", "X", kTagInt32), kTagBadName);
    EXPECT_EQ(db.AddTag("T", std::string(kMaxTagNameLength + 1, 'A'), kTagInt32), kTagBadName);
    EXPECT_EQ(db.AddTag("T", std::string(kMaxTagNameLength, 'A'), kTagInt32), kOk);
    EXPECT_EQ(db.AddTag("T", std::string("A\0B", 3), kTagInt32), kTagBadName);
    EXPECT_EQ(db.AddTag("T", "A\nB", kTagInt32), kTagBadName);
    EXPECT_EQ(db.AddTag("T", "X", 3), kTagBadType);
    EXPECT_EQ(db.AddTag("T", "X", 0x2001), kTagBadType);
    EXPECT_EQ(db.AddTag("T", "X", kTagFloatArray, 0), kTagBadRecord);
    DB_PARAM p = DB_PARAM::Int(1);
    EXPECT_EQ(db.SetData(std::string(300, 'A'), "X", &p), kTagBadName);
}

TEST_F(TagDatabaseTest, TagInfoAndTypes) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagFloatArray, 32), kOk);
    DB_PARAM info;
    EXPECT_EQ(db.GetDataInfo("TASK1", "AI1", &info), kOk);
    EXPECT_EQ(info.type, kTagFloatArray);
    EXPECT_EQ(info.count, 32);
    EXPECT_EQ(info.start, 0);
    EXPECT_EQ(db.GetTagType("TASK1", "AI1"), 4098);
    EXPECT_EQ(db.GetDataInfo("TASK1", "AI2", &info), kTagUnknownTag);
    EXPECT_EQ(db.GetDataInfo("TASK1", "AI1", nullptr), kTagBadRecord);
}

TEST_F(TagDatabaseTest, TasksCarryTheirOwner) {
    int scanTask = 0;
    int other = 0;
    EXPECT_EQ(db.AddTaskName("TASK1", &scanTask), kOk);
    EXPECT_EQ(db.GetTaskHandle("task1"), &scanTask);
    EXPECT_EQ(db.GetTaskHandle("TASK2"), nullptr);
    EXPECT_EQ(db.AddTaskName("TASK1", &other), kTaskExists);
    EXPECT_EQ(db.GetTaskHandle("TASK1"), &scanTask);
    EXPECT_EQ(db.AddTaskName("TASK1", nullptr), kOk);
    EXPECT_EQ(db.GetTaskHandle("TASK1"), &scanTask);

    // A task that AddTag created on the way takes an owner later.
    ASSERT_EQ(db.AddTag("DISP1", "METER1", kTagFloat), kOk);
    EXPECT_EQ(db.GetTaskHandle("DISP1"), nullptr);
    EXPECT_EQ(db.AddTaskName("DISP1", &other), kOk);
    EXPECT_EQ(db.GetTaskHandle("DISP1"), &other);
    EXPECT_NE(db.GetTaskRecordPtr("DISP1"), nullptr);
    EXPECT_EQ(db.GetTaskRecordPtr("NONE"), nullptr);
    EXPECT_EQ(db.GetTaskList(), (std::vector<std::string>{"TASK1", "DISP1"}));
}

TEST_F(TagDatabaseTest, ListsFollowCreationOrder) {
    for (const char* name : {"PID1", "AI1", "CALC10", "CALC2"}) ASSERT_EQ(db.AddTag("TASK1", name, 1), kOk);
    ASSERT_EQ(db.DeleteTag("TASK1", "AI1"), kOk);
    EXPECT_EQ(db.GetTagList("TASK1"), (std::vector<std::string>{"PID1", "CALC10", "CALC2"}));
    EXPECT_TRUE(db.GetTagList("NONE").empty());
}

TEST_F(TagDatabaseTest, DeletedTagKeepsItsHandleSafe) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagFloatArray, 4), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "DO1", kTagInt32), kOk);
    TagRecord* array = db.GetTagEntryPtr("TASK1", "AI1");
    TagRecord* scalar = db.GetTagEntryPtr("TASK1", "DO1");
    const std::uint32_t id = array->id();
    ASSERT_EQ(db.DeleteTag("TASK1", "AI1"), kOk);
    ASSERT_EQ(db.DeleteTag("TASK1", "DO1"), kOk);
    EXPECT_EQ(db.DeleteTag("TASK1", "DO1"), kTagUnknownTag);

    float values[4] = {1, 2, 3, 4};
    DB_PARAM p = DB_PARAM::Array(kTagFloat, values, 4);
    EXPECT_EQ(db.SetDataExp(array, &p), kTagDeleted);
    EXPECT_EQ(db.GetDataExp(array, &p), kTagDeleted);
    EXPECT_EQ(db.GetDataX(id, &p), kTagDeleted);
    DB_PARAM s = DB_PARAM::Int(5);
    EXPECT_EQ(db.SetDataExp(scalar, &s), kTagDeleted);
    EXPECT_EQ(db.GetTagEntryPtrX(id), nullptr);
    EXPECT_FALSE(db.IsTagExist("TASK1", "AI1"));

    // Added again, the tag is a new record: the old handle stays dead.
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagFloatArray, 4), kOk);
    EXPECT_NE(db.GetTagEntryPtr("TASK1", "AI1"), array);
    EXPECT_NE(db.GetTagID("TASK1", "AI1"), id);
    EXPECT_EQ(db.SetDataExp(array, &p), kTagDeleted);
}

TEST_F(TagDatabaseTest, DeletingATaskDeletesItsTags) {
    ASSERT_EQ(db.AddTaskName("DISP1", nullptr), kOk);
    ASSERT_EQ(db.AddTag("DISP1", "KNOB1", kTagFloat), kOk);
    TagRecord* knob = db.GetTagEntryPtr("DISP1", "KNOB1");
    ASSERT_EQ(db.DeleteTaskName("DISP1"), kOk);
    EXPECT_EQ(db.DeleteTaskName("DISP1"), kTagUnknownTask);
    EXPECT_FALSE(db.IsTagExist("DISP1", "KNOB1"));
    EXPECT_EQ(db.GetTagID("DISP1", "KNOB1"), kTagIdUnknownTask);
    EXPECT_TRUE(knob->isDeleted());
    EXPECT_TRUE(db.GetTaskList().empty());
}

TEST_F(TagDatabaseTest, RenamingATaskMovesItsTags) {
    int owner = 0;
    ASSERT_EQ(db.AddTaskName("DISP1", &owner), kOk);
    ASSERT_EQ(db.AddTag("DISP1", "KNOB1", kTagFloat), kOk);
    TagRecord* knob = db.GetTagEntryPtr("DISP1", "KNOB1");
    ASSERT_EQ(db.AddTaskName("DISP2", nullptr), kOk);
    EXPECT_EQ(db.ChangeTaskName("DISP1", "DISP2"), kTaskExists);
    EXPECT_EQ(db.ChangeTaskName("NONE", "X"), kTagUnknownTask);
    ASSERT_EQ(db.ChangeTaskName("disp1", "Boiler"), kOk);
    EXPECT_EQ(db.GetTagEntryPtr("BOILER", "KNOB1"), knob);
    EXPECT_FALSE(db.IsTagExist("DISP1", "KNOB1"));
    EXPECT_EQ(db.GetTaskHandle("BOILER"), &owner);
    EXPECT_EQ(db.GetTaskList(), (std::vector<std::string>{"BOILER", "DISP2"}));
}

TEST_F(TagDatabaseTest, RenamingATagKeepsItsValueAndHandle) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagInt32), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "AI2", kTagInt32), kOk);
    TagRecord* h = db.GetTagEntryPtr("TASK1", "AI1");
    DB_PARAM p = DB_PARAM::Int(7);
    ASSERT_EQ(db.SetDataExp(h, &p), kOk);
    EXPECT_EQ(db.ChangeTagName("TASK1", "AI1", "AI2"), kTagExists);
    EXPECT_EQ(db.ChangeTagName("TASK1", "AI9", "AI3"), kTagUnknownTag);
    ASSERT_EQ(db.ChangeTagName("TASK1", "AI1", "flow"), kOk);
    EXPECT_EQ(db.GetTagEntryPtr("TASK1", "FLOW"), h);
    EXPECT_EQ(readInt("TASK1", "FLOW"), 7);
    EXPECT_FALSE(db.IsTagExist("TASK1", "AI1"));
    EXPECT_EQ(db.GetTagList("TASK1"), (std::vector<std::string>{"FLOW", "AI2"}));
}

// Enough tags to grow the name index several times, with deletes leaving
// tombstones and renames moving entries; every name must still find its own tag.
TEST_F(TagDatabaseTest, ManyTagsSurviveGrowthDeletesAndRenames) {
    constexpr int kCount = 5000;
    std::vector<std::uint32_t> ids(kCount);
    for (int i = 0; i < kCount; ++i) {
        const std::string name = "T" + std::to_string(i);
        ASSERT_EQ(db.AddTag("TASK" + std::to_string(i % 7), name, kTagInt32), kOk);
        ids[i] = db.GetTagID("TASK" + std::to_string(i % 7), name);
    }
    for (int i = 0; i < kCount; i += 2)
        ASSERT_EQ(db.DeleteTag("TASK" + std::to_string(i % 7), "T" + std::to_string(i)), kOk);
    ASSERT_EQ(db.ChangeTaskName("TASK3", "RENAMED"), kOk);
    for (int i = 0; i < kCount; i += 2)
        ASSERT_EQ(db.AddTag("TASK" + std::to_string(i % 7), "N" + std::to_string(i), kTagInt32), kOk);
    for (int i = 0; i < kCount; ++i) {
        const std::string task = i % 7 == 3 ? "RENAMED" : "TASK" + std::to_string(i % 7);
        const std::string old = "T" + std::to_string(i);
        if (i % 2 == 0) {
            EXPECT_FALSE(db.IsTagExist(task, old)) << old;
            // Added after the rename: TASK3 was created anew.
            EXPECT_TRUE(db.IsTagExist("TASK" + std::to_string(i % 7), "N" + std::to_string(i))) << i;
        } else {
            EXPECT_EQ(db.GetTagID(task, old), ids[i]) << old;
        }
    }
    EXPECT_FALSE(db.IsTagExist("TASK3", "T3"));
}

TEST_F(TagDatabaseTest, DisabledTagRefusesWritesButReads) {
    ASSERT_EQ(db.AddTag("TASK1", "AO1", kTagFloat), kOk);
    const std::uint32_t id = db.GetTagID("TASK1", "AO1");
    DB_PARAM p = DB_PARAM::Float(1.5f);
    ASSERT_EQ(db.SetDataX(id, &p), kOk);
    EXPECT_TRUE(db.IsTagEnabled("TASK1", "AO1"));
    EXPECT_EQ(db.EnableTag("TASK1", "AO1", false), kOk);
    EXPECT_FALSE(db.IsTagEnabled("TASK1", "AO1"));
    EXPECT_FALSE(db.IsTagEnabledX(id));
    p = DB_PARAM::Float(9.0f);
    EXPECT_EQ(db.SetDataX(id, &p), kTagDisabled);
    EXPECT_EQ(db.SetData("TASK1", "AO1", &p), kTagDisabled);
    DB_PARAM back = DB_PARAM::Float(0);
    EXPECT_EQ(db.GetDataX(id, &back), kOk);
    EXPECT_EQ(back.value.fVal, 1.5f);
    EXPECT_EQ(db.EnableTagX(id, true), kOk);
    EXPECT_EQ(db.SetDataX(id, &p), kOk);
    EXPECT_EQ(db.EnableTag("TASK1", "NONE", true), kTagUnknownTag);
    EXPECT_EQ(db.EnableTagX(12345, true), kTagUnknownTag);
}

TEST_F(TagDatabaseTest, HoldFlagIsSetAndCleared) {
    ASSERT_EQ(db.AddTag("VIRTASK", "LEVEL", kTagFloat), kOk);
    EXPECT_FALSE(db.IsTagHeld("VIRTASK", "LEVEL"));
    EXPECT_EQ(db.HoldTag("VIRTASK", "LEVEL", true), kOk);
    EXPECT_TRUE(db.IsTagHeld("VIRTASK", "LEVEL"));
    EXPECT_EQ(db.HoldTag("VIRTASK", "LEVEL", false), kOk);
    EXPECT_FALSE(db.IsTagHeld("VIRTASK", "LEVEL"));
    EXPECT_EQ(db.HoldTag("VIRTASK", "NONE", true), kTagUnknownTag);
}

TEST_F(TagDatabaseTest, RunStatusFollowsSystemInfo) {
    EXPECT_FALSE(db.GetRunStatus());
    ASSERT_EQ(db.AddTaskName(kSystemTaskName, nullptr), kOk);
    ASSERT_EQ(db.AddTag(kSystemTaskName, kSystemInfoTagName, kTagInt32), kOk);
    DB_PARAM p = DB_PARAM::Int(kSystemInfoStarted);
    ASSERT_EQ(db.SetData(kSystemTaskName, kSystemInfoTagName, &p), kOk);
    EXPECT_FALSE(db.GetRunStatus());
    p = DB_PARAM::Int(kSystemInfoStarted | kSystemInfoRunning);
    ASSERT_EQ(db.SetData(kSystemTaskName, kSystemInfoTagName, &p), kOk);
    EXPECT_TRUE(db.GetRunStatus());
}

}  // namespace
}  // namespace kestrune
