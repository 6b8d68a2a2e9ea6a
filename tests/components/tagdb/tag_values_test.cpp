// Values through the handle path: every type, conversions, partial array
// access and its bounds, string lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "components/tagdb/tag_database.h"

namespace kestrune {
namespace {

class TagValuesTest : public ::testing::Test {
  protected:
    TagRecord* add(const char* name, std::uint16_t type, std::uint16_t count = 1) {
        EXPECT_EQ(db.AddTag("TASK1", name, type, count), kOk);
        return db.GetTagEntryPtr("TASK1", name);
    }
    std::int32_t getInt(TagRecord* t, std::uint16_t index = 0) {
        DB_PARAM p = DB_PARAM::Int(-999, index);
        EXPECT_EQ(db.GetDataExp(t, &p), kOk);
        return p.value.lVal;
    }
    float getFloat(TagRecord* t, std::uint16_t index = 0) {
        DB_PARAM p = DB_PARAM::Float(-999, index);
        EXPECT_EQ(db.GetDataExp(t, &p), kOk);
        return p.value.fVal;
    }
    std::string getText(TagRecord* t, std::uint16_t index = 0) {
        char buf[kTagTextSize];
        std::memset(buf, 'x', sizeof buf);
        DB_PARAM p = DB_PARAM::Text(buf, index);
        EXPECT_EQ(db.GetDataExp(t, &p), kOk);
        return std::string(buf, strnlen(buf, sizeof buf));
    }
    Code setText(TagRecord* t, const std::string& text, std::uint16_t index = 0) {
        char buf[kTagTextSize + 8] = {};
        std::memcpy(buf, text.data(), std::min(text.size(), sizeof buf));
        DB_PARAM p = DB_PARAM::Text(buf, index);
        return db.SetDataExp(t, &p);
    }

    TagDatabase db;
};

TEST_F(TagValuesTest, NewTagsHoldZeroAndEmptyText) {
    EXPECT_EQ(getInt(add("I", kTagInt32)), 0);
    EXPECT_EQ(getFloat(add("F", kTagFloatArray, 3), 2), 0.0f);
    EXPECT_EQ(getText(add("S", kTagStringArray, 2), 1), "");
}

TEST_F(TagValuesTest, ScalarsOfEveryNumberType) {
    TagRecord* i16 = add("I16", kTagInt16);
    TagRecord* i32 = add("I32", kTagInt32);
    TagRecord* f = add("F", kTagFloat);

    DB_PARAM p = DB_PARAM::Int16(-1234);
    ASSERT_EQ(db.SetDataExp(i16, &p), kOk);
    DB_PARAM back = DB_PARAM::Int16(0);
    ASSERT_EQ(db.GetDataExp(i16, &back), kOk);
    EXPECT_EQ(back.value.lVal, -1234);

    p = DB_PARAM::Int(-2000000000);
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    EXPECT_EQ(getInt(i32), -2000000000);

    p = DB_PARAM::Float(3.25f);
    ASSERT_EQ(db.SetDataExp(f, &p), kOk);
    EXPECT_EQ(getFloat(f), 3.25f);
}

TEST_F(TagValuesTest, NumbersConvertBetweenIntegerAndFloat) {
    TagRecord* i32 = add("I32", kTagInt32);
    TagRecord* f = add("F", kTagFloat);

    DB_PARAM p = DB_PARAM::Float(-7.9f);
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    EXPECT_EQ(getInt(i32), -7);  // truncated toward zero
    EXPECT_EQ(getFloat(i32), -7.0f);

    p = DB_PARAM::Float(1e20f);
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    EXPECT_EQ(getInt(i32), std::numeric_limits<std::int32_t>::max());
    p = DB_PARAM::Float(-1e20f);
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    EXPECT_EQ(getInt(i32), std::numeric_limits<std::int32_t>::min());
    p = DB_PARAM::Float(std::nanf(""));
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    EXPECT_EQ(getInt(i32), 0);

    p = DB_PARAM::Int(42);
    ASSERT_EQ(db.SetDataExp(f, &p), kOk);
    EXPECT_EQ(getFloat(f), 42.0f);
    p = DB_PARAM::Float(2.75f);
    ASSERT_EQ(db.SetDataExp(f, &p), kOk);
    EXPECT_EQ(getInt(f), 2);
}

TEST_F(TagValuesTest, SixteenBitTagKeepsTheLowSixteenBits) {
    TagRecord* i16 = add("I16", kTagInt16);
    DB_PARAM p = DB_PARAM::Int(0x12345);
    ASSERT_EQ(db.SetDataExp(i16, &p), kOk);
    EXPECT_EQ(getInt(i16), 0x2345);
    p = DB_PARAM::Int(0xFFFF);
    ASSERT_EQ(db.SetDataExp(i16, &p), kOk);
    EXPECT_EQ(getInt(i16), -1);
    // A 16-bit record reads a 32-bit tag as its low half, sign-extended.
    TagRecord* i32 = add("I32", kTagInt32);
    p = DB_PARAM::Int(0x18000);
    ASSERT_EQ(db.SetDataExp(i32, &p), kOk);
    DB_PARAM small = DB_PARAM::Int16(0);
    ASSERT_EQ(db.GetDataExp(i32, &small), kOk);
    EXPECT_EQ(small.value.lVal, -32768);
}

TEST_F(TagValuesTest, StringsAndNumbersDoNotMix) {
    TagRecord* s = add("S", kTagString);
    TagRecord* i = add("I", kTagInt32);
    ASSERT_EQ(setText(s, "ON"), kOk);
    DB_PARAM p = DB_PARAM::Int(5);
    EXPECT_EQ(db.SetDataExp(s, &p), kTagTypeMismatch);
    EXPECT_EQ(db.GetDataExp(s, &p), kTagTypeMismatch);
    EXPECT_EQ(setText(i, "5"), kTagTypeMismatch);
    EXPECT_EQ(getText(s), "ON");
    EXPECT_EQ(getInt(i), 0);
}

TEST_F(TagValuesTest, BadRecordsAreRefused) {
    TagRecord* a = add("A", kTagFloatArray, 4);
    DB_PARAM p = DB_PARAM::Float(1.0f);
    p.type = 3;
    EXPECT_EQ(db.SetDataExp(a, &p), kTagBadType);
    p = DB_PARAM::Array(kTagFloat, nullptr, 2);
    EXPECT_EQ(db.SetDataExp(a, &p), kTagBadRecord);
    float v[1] = {1};
    p = DB_PARAM::Array(kTagFloat, v, 0);
    EXPECT_EQ(db.SetDataExp(a, &p), kTagBadRecord);
    EXPECT_EQ(db.SetDataExp(a, nullptr), kTagBadRecord);
    EXPECT_EQ(db.GetDataExp(a, nullptr), kTagBadRecord);
    TagRecord* s = add("S", kTagString);
    p = DB_PARAM::Text(nullptr);
    EXPECT_EQ(db.GetDataExp(s, &p), kTagBadRecord);
}

TEST_F(TagValuesTest, WholeArrayRoundTrip) {
    TagRecord* ai = add("AI1", kTagFloatArray, 32);
    float out[32];
    for (int i = 0; i < 32; ++i) out[i] = static_cast<float>(i) * 0.5f;
    DB_PARAM p = DB_PARAM::Array(kTagFloat, out, 32);
    ASSERT_EQ(db.SetDataExp(ai, &p), kOk);
    float in[32] = {};
    DB_PARAM q = DB_PARAM::Array(kTagFloat, in, 32);
    ASSERT_EQ(db.GetDataExp(ai, &q), kOk);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
    // Read as integers, element by element.
    std::int32_t ints[32] = {};
    DB_PARAM r = DB_PARAM::Array(kTagInt32, ints, 32);
    ASSERT_EQ(db.GetDataExp(ai, &r), kOk);
    EXPECT_EQ(ints[31], 15);
}

TEST_F(TagValuesTest, PartialArrayAccessAndBounds) {
    TagRecord* di = add("DI1", kTagInt32Array, 17);
    std::int32_t part[3] = {7, 8, 9};
    DB_PARAM p = DB_PARAM::Array(kTagInt32, part, 3, 14);
    ASSERT_EQ(db.SetDataExp(di, &p), kOk);
    EXPECT_EQ(getInt(di, 13), 0);
    EXPECT_EQ(getInt(di, 14), 7);
    EXPECT_EQ(getInt(di, 16), 9);

    // One element past the end: refused whole, nothing written.
    std::int32_t four[4] = {1, 1, 1, 1};
    p = DB_PARAM::Array(kTagInt32, four, 4, 14);
    EXPECT_EQ(db.SetDataExp(di, &p), kTagIndexRange);
    EXPECT_EQ(getInt(di, 14), 7);
    p = DB_PARAM::Int(5, 17);
    EXPECT_EQ(db.SetDataExp(di, &p), kTagIndexRange);
    EXPECT_EQ(db.GetDataExp(di, &p), kTagIndexRange);
    p = DB_PARAM::Array(kTagInt32, four, 1, 0xFFFF);
    EXPECT_EQ(db.GetDataExp(di, &p), kTagIndexRange);

    // A scalar record addresses one element of an array tag.
    p = DB_PARAM::Int(-3, 16);
    ASSERT_EQ(db.SetDataExp(di, &p), kOk);
    EXPECT_EQ(getInt(di, 16), -3);
    EXPECT_EQ(getInt(di, 15), 8);

    // Scalars have exactly one element.
    TagRecord* one = add("ONE", kTagInt32);
    p = DB_PARAM::Int(1, 1);
    EXPECT_EQ(db.SetDataExp(one, &p), kTagIndexRange);
    p = DB_PARAM::Array(kTagInt32, four, 2);
    EXPECT_EQ(db.SetDataExp(one, &p), kTagIndexRange);
    p = DB_PARAM::Array(kTagInt32, four, 1);
    EXPECT_EQ(db.SetDataExp(one, &p), kOk);
    EXPECT_EQ(getInt(one), 1);
}

TEST_F(TagValuesTest, SixteenBitArrayElements) {
    TagRecord* a = add("W", kTagArray | kTagInt16, 3);
    std::int16_t in[3] = {-1, 300, 32767};
    DB_PARAM p = DB_PARAM::Array(kTagInt16, in, 3);
    ASSERT_EQ(db.SetDataExp(a, &p), kOk);
    float out[3] = {};
    DB_PARAM q = DB_PARAM::Array(kTagFloat, out, 3);
    ASSERT_EQ(db.GetDataExp(a, &q), kOk);
    EXPECT_EQ(out[0], -1.0f);
    EXPECT_EQ(out[2], 32767.0f);
}

TEST_F(TagValuesTest, StringOf127CharactersFitsAnd128IsRefused) {
    TagRecord* s = add("RS1", kTagString);
    const std::string longest(kTagMaxTextLength, 'a');
    ASSERT_EQ(setText(s, longest), kOk);
    EXPECT_EQ(getText(s), longest);

    // 128 characters leave no room for the terminator in the 128-byte buffer.
    char full[kTagTextSize];
    std::memset(full, 'b', sizeof full);
    DB_PARAM p = DB_PARAM::Text(full);
    EXPECT_EQ(db.SetDataExp(s, &p), kTagStringTooLong);
    EXPECT_EQ(getText(s), longest);

    ASSERT_EQ(setText(s, ""), kOk);
    EXPECT_EQ(getText(s), "");
}

TEST_F(TagValuesTest, StringArrayElementsAndAllOrNothing) {
    TagRecord* rs = add("RS1", kTagStringArray, 8);
    char texts[8][kTagTextSize] = {};
    for (int i = 0; i < 8; ++i) std::snprintf(texts[i], kTagTextSize, "line %d", i);
    DB_PARAM p = DB_PARAM::Array(kTagString, texts, 8);
    ASSERT_EQ(db.SetDataExp(rs, &p), kOk);
    EXPECT_EQ(getText(rs, 7), "line 7");

    char two[2][kTagTextSize] = {};
    std::strcpy(two[0], "new");
    std::memset(two[1], 'z', kTagTextSize);  // no terminator
    p = DB_PARAM::Array(kTagString, two, 2, 3);
    EXPECT_EQ(db.SetDataExp(rs, &p), kTagStringTooLong);
    EXPECT_EQ(getText(rs, 3), "line 3");

    two[1][5] = '\0';
    ASSERT_EQ(db.SetDataExp(rs, &p), kOk);
    EXPECT_EQ(getText(rs, 3), "new");
    EXPECT_EQ(getText(rs, 4), "zzzzz");

    char back[3][kTagTextSize];
    DB_PARAM q = DB_PARAM::Array(kTagString, back, 3, 5);
    ASSERT_EQ(db.GetDataExp(rs, &q), kOk);
    EXPECT_STREQ(back[0], "line 5");
    EXPECT_STREQ(back[2], "line 7");
    q.start = 6;
    EXPECT_EQ(db.GetDataExp(rs, &q), kTagIndexRange);
}

}  // namespace
}  // namespace kestrune
