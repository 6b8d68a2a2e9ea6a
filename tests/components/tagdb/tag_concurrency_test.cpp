// Many threads on one database: values are never torn, names change under
// running writers, locks exclude each other. Run under ThreadSanitizer too.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "components/tagdb/hold_file.h"
#include "components/tagdb/tag_database.h"

namespace kestrune {
namespace {

constexpr int kIterations = 20000;
constexpr int kArraySize = 32;

// 1 to 101 characters: a torn text shows mixed letters or the wrong length.
std::size_t textLength(int letter) {
    return 1 + static_cast<std::size_t>(letter) * 4;
}

void runThreads(std::vector<std::function<void()>> bodies) {
    std::vector<std::thread> threads;
    for (auto& body : bodies) threads.emplace_back(std::move(body));
    for (auto& t : threads) t.join();
}

class TagConcurrencyTest : public ::testing::Test {
  protected:
    TagDatabase db;
};

TEST_F(TagConcurrencyTest, ArraysAndStringsAreNeverTorn) {
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagFloatArray, kArraySize), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "RS1", kTagString), kOk);
    TagRecord* array = db.GetTagEntryPtr("TASK1", "AI1");
    TagRecord* text = db.GetTagEntryPtr("TASK1", "RS1");
    std::atomic<int> torn{0};

    auto writer = [&](int seed) {
        return [&, seed] {
            float values[kArraySize];
            char line[kTagTextSize];
            for (int i = 0; i < kIterations; ++i) {
                const int v = seed + 2 * i;
                for (float& f : values) f = static_cast<float>(v);
                DB_PARAM p = DB_PARAM::Array(kTagFloat, values, kArraySize);
                if (db.SetDataExp(array, &p) != kOk) ++torn;
                // One repeated letter, its length given by the letter.
                const std::size_t n = textLength(v % 26);
                std::memset(line, 'a' + v % 26, n);
                line[n] = '\0';
                DB_PARAM t = DB_PARAM::Text(line);
                if (db.SetDataExp(text, &t) != kOk) ++torn;
            }
        };
    };
    auto reader = [&] {
        float values[kArraySize];
        char line[kTagTextSize];
        for (int i = 0; i < kIterations; ++i) {
            DB_PARAM p = DB_PARAM::Array(kTagFloat, values, kArraySize);
            if (db.GetDataExp(array, &p) != kOk) ++torn;
            for (float f : values) {
                if (f != values[0]) ++torn;
            }
            DB_PARAM t = DB_PARAM::Text(line);
            if (db.GetDataExp(text, &t) != kOk) ++torn;
            const std::size_t n = std::strlen(line);
            for (std::size_t k = 1; k < n; ++k) {
                if (line[k] != line[0]) ++torn;
            }
            if (n != 0 && n != textLength(line[0] - 'a')) ++torn;  // empty until the first write
        }
    };
    runThreads({writer(0), writer(1), reader, reader});
    EXPECT_EQ(torn.load(), 0);
}

TEST_F(TagConcurrencyTest, EachThreadReadsBackItsOwnScalarsOnEveryPath) {
    constexpr int kThreads = 4;
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(db.AddTag("TASK" + std::to_string(t), "PID1", kTagFloat), kOk);
    }
    ASSERT_EQ(db.AddTag("VIRTASK", "SHARED", kTagInt32), kOk);
    std::atomic<int> wrong{0};
    std::vector<std::function<void()>> bodies;
    for (int t = 0; t < kThreads; ++t) {
        bodies.push_back([&, t] {
            const std::string task = "task" + std::to_string(t);
            TagRecord* own = db.GetTagEntryPtr(task, "pid1");
            const std::uint32_t id = db.GetTagID(task, "PID1");
            for (int i = 0; i < kIterations; ++i) {
                DB_PARAM p = DB_PARAM::Float(static_cast<float>(i));
                DB_PARAM back = DB_PARAM::Float(-1);
                switch (i % 3) {
                    case 0:
                        db.SetDataExp(own, &p);
                        db.GetDataExp(own, &back);
                        break;
                    case 1:
                        db.SetData(task, "PID1", &p);
                        db.GetData(task, "PID1", &back);
                        break;
                    default:
                        db.SetDataX(id, &p);
                        db.GetDataX(id, &back);
                        break;
                }
                if (back.value.fVal != static_cast<float>(i)) ++wrong;
                DB_PARAM shared = DB_PARAM::Int(t * kIterations + i);
                db.SetData("VIRTASK", "SHARED", &shared);
            }
        });
    }
    runThreads(std::move(bodies));
    EXPECT_EQ(wrong.load(), 0);
    DB_PARAM last = DB_PARAM::Int(-1);
    ASSERT_EQ(db.GetData("VIRTASK", "SHARED", &last), kOk);
    EXPECT_EQ(last.value.lVal % kIterations, kIterations - 1);
}

TEST_F(TagConcurrencyTest, TagsComeAndGoUnderRunningWriters) {
    ASSERT_EQ(db.AddTag("TASK1", "STEADY", kTagFloatArray, 8), kOk);
    TagRecord* steady = db.GetTagEntryPtr("TASK1", "STEADY");
    std::atomic<bool> done{false};
    std::atomic<int> unexpected{0};
    std::atomic<TagRecord*> churned{nullptr};

    auto churner = [&] {
        for (int i = 0; i < kIterations / 10; ++i) {
            const std::string name = "T" + std::to_string(i % 7);
            db.AddTag("TASK2", name, kTagStringArray, 4);
            churned.store(db.GetTagEntryPtr("TASK2", name));
            if (i % 3 == 0) db.ChangeTaskName(i % 2 ? "TASK2" : "TASK3", i % 2 ? "TASK3" : "TASK2");
            db.DeleteTag("TASK2", name);
            if (i % 50 == 0) db.DeleteTaskName("TASK3");
        }
        done = true;
    };
    auto user = [&] {
        float values[8] = {};
        char lines[4][kTagTextSize] = {{'x', 0}, {'y', 0}, {'z', 0}, {0}};
        while (!done) {
            DB_PARAM p = DB_PARAM::Array(kTagFloat, values, 8);
            if (db.SetDataExp(steady, &p) != kOk) ++unexpected;
            // A handle that may be deleted at any moment must answer, not crash.
            if (TagRecord* h = churned.load()) {
                DB_PARAM t = DB_PARAM::Array(kTagString, lines, 4);
                const Code c = db.SetDataExp(h, &t);
                if (c != kOk && c != kTagDeleted) ++unexpected;
                const Code r = db.GetDataExp(h, &t);
                if (r != kOk && r != kTagDeleted) ++unexpected;
                // Ids resolve without a lock while the churner appends records.
                const Code x = db.GetDataX(h->id(), &t);
                if (x != kOk && x != kTagDeleted) ++unexpected;
                if (db.GetDataX(h->id() + 1, &t) == kTagBadRecord) ++unexpected;
            }
            DB_PARAM n = DB_PARAM::Array(kTagString, lines, 1);
            const Code c = db.GetData("TASK2", "T3", &n);
            if (c != kOk && c != kTagUnknownTag && c != kTagUnknownTask) ++unexpected;
            db.GetTagList("TASK2");
            db.GetTaskList();
        }
    };
    runThreads({churner, user, user});
    EXPECT_EQ(unexpected.load(), 0);
}

TEST_F(TagConcurrencyTest, LocksExcludeEachOther) {
    ASSERT_EQ(db.AddTag("VIRTASK", "VALVE", kTagInt32), kOk);
    const std::uint32_t id = db.GetTagID("VIRTASK", "VALVE");
    std::atomic<int> holders{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> wins{0};
    auto contender = [&] {
        for (int i = 0; i < kIterations / 4; ++i) {
            const std::uint32_t key = db.LockTagX(id);
            if (key == 0) continue;
            if (holders.fetch_add(1) != 0) ++overlaps;
            DB_PARAM p = DB_PARAM::Int(i);
            if (db.SetLockedDataX(id, key, &p) != kOk) ++overlaps;
            holders.fetch_sub(1);
            if (db.UnlockTagX(id, key) != kOk) ++overlaps;
            ++wins;
        }
    };
    auto outsider = [&] {
        for (int i = 0; i < kIterations / 4; ++i) {
            DB_PARAM p = DB_PARAM::Int(-1);
            const Code c = db.SetDataX(id, &p);
            if (c != kOk && c != kTagLocked) ++overlaps;
        }
    };
    runThreads({contender, contender, contender, outsider});
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(wins.load(), 0);
}

TEST_F(TagConcurrencyTest, HoldFileSavedDuringWritesHoldsWholeArrays) {
    char pattern[] = "/tmp/kestrune-hold-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::string path = (dir / "run.HLD").string();
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagInt32Array, kArraySize), kOk);
    ASSERT_EQ(db.HoldTag("TASK1", "AI1", true), kOk);
    TagRecord* array = db.GetTagEntryPtr("TASK1", "AI1");
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};

    auto writer = [&] {
        std::int32_t values[kArraySize];
        for (int i = 0; !done; ++i) {
            for (auto& v : values) v = i;
            DB_PARAM p = DB_PARAM::Array(kTagInt32, values, kArraySize);
            db.SetDataExp(array, &p);
        }
    };
    auto saver = [&] {
        for (int i = 0; i < 20; ++i) {
            if (db.SerializeAll(path, 1) != kOk) ++bad;
            std::vector<std::uint8_t> bytes;
            std::vector<HoldEntry> entries;
            if (!readHoldFile(path, bytes).ok() || !decodeHoldFile(bytes, entries).ok() ||
                entries.size() != 1) {
                ++bad;
                continue;
            }
            for (std::uint32_t v : entries[0].numbers) {
                if (v != entries[0].numbers[0]) ++bad;
            }
        }
        done = true;
    };
    runThreads({writer, saver});
    EXPECT_EQ(bad.load(), 0);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrune
