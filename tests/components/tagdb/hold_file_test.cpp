// The hold file: round trip of every type, and damaged files that must
// change nothing.
#include "components/tagdb/hold_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "components/tagdb/crc32.h"
#include "components/tagdb/tag_database.h"
#include "platform/binary_stream.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& p, std::span<const std::uint8_t> bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Recomputes the trailing checksum, so that a test reaches the checks behind it.
void resealChecksum(std::vector<std::uint8_t>& bytes) {
    const std::uint32_t crc = crc32(std::span(bytes).first(bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}

// A database with one tag of every type, all held, holding distinct values.
void fillDatabase(TagDatabase& db, bool hold, int seed) {
    ASSERT_EQ(db.AddTag("TASK1", "W", kTagInt16), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "I", kTagInt32), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "F", kTagFloat), kOk);
    ASSERT_EQ(db.AddTag("VIRTASK", "S", kTagString), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "DI1", kTagInt32Array, 17), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "AI1", kTagFloatArray, 32), kOk);
    ASSERT_EQ(db.AddTag("TASK1", "RS1", kTagStringArray, 8), kOk);
    ASSERT_EQ(db.AddTag("DISP1", "WA", kTagArray | kTagInt16, 2), kOk);
    if (hold) {
        for (const char* tag : {"W", "I", "F", "DI1", "AI1", "RS1"})
            ASSERT_EQ(db.HoldTag("TASK1", tag, true), kOk);
        ASSERT_EQ(db.HoldTag("VIRTASK", "S", true), kOk);
        ASSERT_EQ(db.HoldTag("DISP1", "WA", true), kOk);
    }
    DB_PARAM p = DB_PARAM::Int16(static_cast<std::int16_t>(-seed));
    ASSERT_EQ(db.SetData("TASK1", "W", &p), kOk);
    p = DB_PARAM::Int(seed * 1000);
    ASSERT_EQ(db.SetData("TASK1", "I", &p), kOk);
    p = DB_PARAM::Float(seed + 0.25f);
    ASSERT_EQ(db.SetData("TASK1", "F", &p), kOk);
    char text[kTagTextSize];
    std::snprintf(text, sizeof text, "seed %d", seed);
    p = DB_PARAM::Text(text);
    ASSERT_EQ(db.SetData("VIRTASK", "S", &p), kOk);
    std::int32_t ints[17];
    for (int i = 0; i < 17; ++i) ints[i] = seed * 100 + i;
    p = DB_PARAM::Array(kTagInt32, ints, 17);
    ASSERT_EQ(db.SetData("TASK1", "DI1", &p), kOk);
    float floats[32];
    for (int i = 0; i < 32; ++i) floats[i] = seed + i / 8.0f;
    p = DB_PARAM::Array(kTagFloat, floats, 32);
    ASSERT_EQ(db.SetData("TASK1", "AI1", &p), kOk);
    char lines[8][kTagTextSize] = {};
    for (int i = 0; i < 8; ++i) std::snprintf(lines[i], kTagTextSize, "%d/%d", seed, i);
    std::memset(lines[7], 'q', kTagMaxTextLength);  // the longest text
    p = DB_PARAM::Array(kTagString, lines, 8);
    ASSERT_EQ(db.SetData("TASK1", "RS1", &p), kOk);
    std::int16_t words[2] = {static_cast<std::int16_t>(seed), -7};
    p = DB_PARAM::Array(kTagInt16, words, 2);
    ASSERT_EQ(db.SetData("DISP1", "WA", &p), kOk);
}

// Every value of the database, as one comparable vector of words and texts.
struct Values {
    std::vector<std::uint32_t> numbers;
    std::vector<std::string> texts;
    bool operator==(const Values&) const = default;
};

Values valuesOf(TagDatabase& db) {
    Values all;
    for (const auto& task : db.GetTaskList()) {
        for (const auto& tag : db.GetTagList(task)) {
            std::vector<std::uint32_t> n;
            std::vector<std::string> t;
            db.GetTagEntryPtr(task, tag)->snapshot(n, t);
            all.numbers.insert(all.numbers.end(), n.begin(), n.end());
            all.texts.insert(all.texts.end(), t.begin(), t.end());
        }
    }
    return all;
}

class HoldFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrune-hold-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        path = (dir / "line1.HLD").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // Saves a full database, then gives a fresh one with other values.
    std::vector<std::uint8_t> saveGoodFile() {
        TagDatabase source;
        fillDatabase(source, true, 5);
        EXPECT_EQ(source.SerializeAll(path, 1), kOk);
        fillDatabase(target, false, 9);
        return readBytes(path);
    }

    fs::path dir;
    std::string path;
    TagDatabase target;
};

TEST(Crc32, MatchesTheStandardCheckValue) {
    const std::string text = "123456789";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    EXPECT_EQ(crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(crc32(bytes.subspan(4), crc32(bytes.first(4))), 0xCBF43926u);
    EXPECT_EQ(crc32({}), 0u);
}

TEST_F(HoldFileTest, RoundTripOfEveryTypeMarksTheTagsHeld) {
    saveGoodFile();
    TagDatabase expected;
    fillDatabase(expected, true, 5);
    ASSERT_NE(valuesOf(target), valuesOf(expected));

    const Status loaded = target.loadHoldFile(path);
    ASSERT_EQ(loaded.code, kOk) << loaded.context;
    EXPECT_EQ(valuesOf(target), valuesOf(expected));
    EXPECT_TRUE(target.IsTagHeld("TASK1", "AI1"));
    EXPECT_TRUE(target.IsTagHeld("VIRTASK", "S"));

    // Spot checks through the ordinary read path.
    DB_PARAM p = DB_PARAM::Int16(0);
    ASSERT_EQ(target.GetData("TASK1", "W", &p), kOk);
    EXPECT_EQ(p.value.lVal, -5);
    char text[kTagTextSize];
    p = DB_PARAM::Text(text, 7);
    ASSERT_EQ(target.GetData("TASK1", "RS1", &p), kOk);
    EXPECT_EQ(std::string(text), std::string(kTagMaxTextLength, 'q'));
}

TEST_F(HoldFileTest, OnlyHeldTagsAreSaved) {
    TagDatabase source;
    fillDatabase(source, true, 5);
    ASSERT_EQ(source.HoldTag("TASK1", "I", false), kOk);
    ASSERT_EQ(source.SerializeAll(path, 1), kOk);
    fillDatabase(target, false, 9);
    ASSERT_EQ(target.SerializeAll(path, 0), kOk);
    DB_PARAM p = DB_PARAM::Int(0);
    ASSERT_EQ(target.GetData("TASK1", "I", &p), kOk);
    EXPECT_EQ(p.value.lVal, 9000);
    EXPECT_FALSE(target.IsTagHeld("TASK1", "I"));
    ASSERT_EQ(target.GetData("TASK1", "W", &p), kOk);
    EXPECT_EQ(p.value.lVal, -5);
}

TEST_F(HoldFileTest, EntriesOfMissingOrChangedTagsAreSkipped) {
    TagDatabase source;
    fillDatabase(source, true, 5);
    ASSERT_EQ(source.SerializeAll(path, 1), kOk);

    ASSERT_EQ(target.AddTag("TASK1", "I", kTagFloat), kOk);            // type changed
    ASSERT_EQ(target.AddTag("TASK1", "AI1", kTagFloatArray, 8), kOk);  // count changed
    ASSERT_EQ(target.AddTag("TASK1", "F", kTagFloat), kOk);            // unchanged
    const Status s = target.loadHoldFile(path);
    ASSERT_EQ(s.code, kOk);
    EXPECT_EQ(s.context, "1 of 8 held values restored");
    DB_PARAM p = DB_PARAM::Float(0);
    ASSERT_EQ(target.GetData("TASK1", "I", &p), kOk);
    EXPECT_EQ(p.value.fVal, 0.0f);
    EXPECT_FALSE(target.IsTagHeld("TASK1", "I"));
    ASSERT_EQ(target.GetData("TASK1", "F", &p), kOk);
    EXPECT_EQ(p.value.fVal, 5.25f);
}

TEST_F(HoldFileTest, LoadRestoresPastLocksAndDisabledTags) {
    saveGoodFile();
    ASSERT_NE(target.LockTag("TASK1", "I"), 0u);
    ASSERT_EQ(target.EnableTag("TASK1", "F", false), kOk);
    ASSERT_EQ(target.SerializeAll(path, 0), kOk);
    DB_PARAM p = DB_PARAM::Int(0);
    ASSERT_EQ(target.GetData("TASK1", "I", &p), kOk);
    EXPECT_EQ(p.value.lVal, 5000);
    ASSERT_EQ(target.GetData("TASK1", "F", &p), kOk);
    EXPECT_EQ(p.value.lVal, 5);
}

TEST_F(HoldFileTest, MissingFileChangesNothing) {
    fillDatabase(target, false, 9);
    const Values before = valuesOf(target);
    EXPECT_EQ(target.SerializeAll((dir / "none.HLD").string(), 0), kHoldFileMissing);
    EXPECT_EQ(valuesOf(target), before);
}

TEST_F(HoldFileTest, FileCutAtEveryLengthChangesNothing) {
    const auto good = saveGoodFile();
    const Values before = valuesOf(target);
    for (std::size_t length = 0; length < good.size(); ++length) {
        writeBytes(path, std::span(good).first(length));
        ASSERT_EQ(target.SerializeAll(path, 0), kHoldFileCorrupt) << "length " << length;
    }
    EXPECT_EQ(valuesOf(target), before);
    EXPECT_FALSE(target.IsTagHeld("TASK1", "I"));
}

TEST_F(HoldFileTest, EveryFlippedByteIsDetected) {
    const auto good = saveGoodFile();
    const Values before = valuesOf(target);
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const std::uint8_t mask : {0x01, 0x80, 0xFF}) {
            auto bad = good;
            bad[at] ^= mask;
            writeBytes(path, bad);
            const Code c = target.SerializeAll(path, 0);
            ASSERT_TRUE(c == kHoldFileCorrupt || c == kHoldFileVersion)
                << "byte " << at << " mask " << int(mask);
        }
    }
    EXPECT_EQ(valuesOf(target), before);
    // Trailing garbage is damage too.
    auto longer = good;
    longer.push_back(0);
    writeBytes(path, longer);
    EXPECT_EQ(target.SerializeAll(path, 0), kHoldFileCorrupt);
    EXPECT_EQ(valuesOf(target), before);
}

// Files whose checksum is right but whose contents are not: the layout checks
// behind the checksum must catch them.
TEST(HoldFileDecode, BadLayoutUnderAGoodChecksumIsRefused) {
    HoldEntry text{"VIRTASK", "S", kTagString, 1, {}, {"abc"}};
    HoldEntry number{"TASK1", "I", kTagInt32, 1, {7}, {}};
    const auto good = encodeHoldFile({text, number});
    std::vector<HoldEntry> out;
    ASSERT_TRUE(decodeHoldFile(good, out).ok());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].texts, std::vector<std::string>{"abc"});
    EXPECT_EQ(out[1].numbers, std::vector<std::uint32_t>{7});

    const std::size_t entry0 = 16;
    const std::size_t textLength = entry0 + 1 + 7 + 1 + 1 + 2 + 2;
    auto expectCorrupt = [&](auto mutate) {
        auto bad = good;
        mutate(bad);
        resealChecksum(bad);
        std::vector<HoldEntry> entries;
        EXPECT_EQ(decodeHoldFile(bad, entries).code, kHoldFileCorrupt);
        EXPECT_TRUE(entries.empty());
    };
    expectCorrupt([&](auto& b) { b[8] = 3; });  // more entries than written
    expectCorrupt([&](auto& b) { b[8] = 1; });  // fewer: bytes left over
    expectCorrupt([&](auto& b) {
        b[8] = 0xFF;
        b[9] = 0xFF;
    });                                                          // absurd count
    expectCorrupt([&](auto& b) { b[entry0] = 0; });              // empty task name
    expectCorrupt([&](auto& b) { b[entry0 + 1] = 'v'; });        // not a stored (upper-case) name
    expectCorrupt([&](auto& b) { b[entry0 + 1] = '\n'; });       // control character
    expectCorrupt([&](auto& b) { b[textLength - 4] = 3; });      // type 3
    expectCorrupt([&](auto& b) { b[textLength - 2] = 0; });      // count 0
    expectCorrupt([&](auto& b) { b[textLength] = 200; });        // text longer than 127
    expectCorrupt([&](auto& b) { b[textLength + 1] = 0; });      // terminator inside a text
    expectCorrupt([&](auto& b) { b[textLength + 12] = 0x10; });  // type 0x10
    expectCorrupt([&](auto& b) { b[textLength + 14] = 2; });     // two numbers, room for one
}

TEST_F(HoldFileTest, NewerVersionIsRefused) {
    auto bytes = saveGoodFile();
    const Values before = valuesOf(target);
    bytes[4] = 2;
    resealChecksum(bytes);
    writeBytes(path, bytes);
    const Status s = target.loadHoldFile(path);
    EXPECT_EQ(s.code, kHoldFileVersion);
    EXPECT_NE(s.context.find("version 2"), std::string::npos);
    EXPECT_EQ(valuesOf(target), before);
}

// A failing flush or rename is injected for every replaced file in
// tests/app/file_writers_test.cpp.
TEST_F(HoldFileTest, FailedSaveKeepsTheLastGoodFile) {
    const auto good = saveGoodFile();
    const Status s = target.saveHoldFile((dir / "no" / "such.HLD").string());
    EXPECT_EQ(s.code, kHoldFileWrite);
    EXPECT_NE(s.context.find("such.HLD"), std::string::npos);
    EXPECT_EQ(readBytes(path), good);
}

TEST_F(HoldFileTest, SaveReplacesTheFileAndLeavesNoTemporary) {
    saveGoodFile();
    ASSERT_EQ(target.HoldTag("TASK1", "I", true), kOk);
    ASSERT_EQ(target.SerializeAll(path, 1), kOk);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    std::vector<HoldEntry> entries;
    ASSERT_TRUE(decodeHoldFile(readBytes(path), entries).ok());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].tag, "I");
    EXPECT_EQ(entries[0].numbers, std::vector<std::uint32_t>{9000});
}

TEST_F(HoldFileTest, DirectoryIsNotAHoldFile) {
    fillDatabase(target, false, 9);
    const Values before = valuesOf(target);
    EXPECT_EQ(target.SerializeAll(dir.string(), 0), kHoldFileUnreadable);
    EXPECT_EQ(valuesOf(target), before);
}

}  // namespace
}  // namespace kestrune
