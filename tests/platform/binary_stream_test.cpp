#include "platform/binary_stream.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(BinaryStream, RoundTripsLittleEndianValues) {
    BinaryWriter w;
    w.tag(fourcc("QKSV"));
    w.u16(425);
    w.u32(0xDEADBEEF);
    w.f32(1.5f);
    w.f64(-2.25);
    w.fixedString("abc", 5);
    const auto& d = w.data();
    ASSERT_EQ(d.size(), 4u + 2 + 4 + 4 + 8 + 5);
    EXPECT_EQ(d[4], 425 & 0xFF);
    EXPECT_EQ(d[5], 425 >> 8);

    BinaryReader r(d);
    EXPECT_EQ(toString(r.tag()), "QKSV");
    EXPECT_EQ(r.u16(), 425);
    EXPECT_EQ(r.u32(), 0xDEADBEEFu);
    EXPECT_EQ(r.f32(), 1.5f);
    EXPECT_EQ(r.f64(), -2.25);
    EXPECT_EQ(r.fixedString(5), "abc");
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.failed());
}

TEST(BinaryStream, FixedStringIsCutToLeaveATerminator) {
    BinaryWriter w;
    w.fixedString("abcdef", 4);
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w.data()[3], 0);
    BinaryReader r(w.data());
    EXPECT_EQ(r.fixedString(4), "abc");
}

TEST(BinaryStream, ReadingPastTheEndFailsStickyAndYieldsZeros) {
    const std::vector<std::uint8_t> d{1, 2, 3};
    BinaryReader r(d);
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.u8(), 0);  // the one byte left is not handed out after a failure
}

TEST(BinaryStream, RecordLengthIsPatchedAndLongerRecordsAreSkipped) {
    BinaryWriter w;
    w.tag(fourcc("BXXX"));
    const auto len = w.beginLength16();
    w.u32(7);
    w.u32(99);  // a field a later version added
    ASSERT_TRUE(w.endLength16(len));
    w.u16(0xABCD);  // the next record

    BinaryReader r(w.data());
    r.tag();
    const auto rec = r.beginRecord(r.u16());
    EXPECT_EQ(r.u32(), 7u);  // this version reads only the first field
    r.endRecord(rec);
    EXPECT_EQ(r.u16(), 0xABCD);
    EXPECT_FALSE(r.failed());
}

TEST(BinaryStream, ReadsInsideARecordStopAtItsEnd) {
    BinaryWriter w;
    const auto len = w.beginLength16();
    w.u16(1);
    ASSERT_TRUE(w.endLength16(len));
    w.u16(2);
    BinaryReader r(w.data());
    const auto rec = r.beginRecord(r.u16());
    EXPECT_EQ(r.remaining(), 2u);
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u16(), 0);  // would read the next record's bytes
    EXPECT_TRUE(r.failed());
    r.endRecord(rec);
}

TEST(BinaryStream, ARecordLongerThanTheBufferFails) {
    const std::vector<std::uint8_t> d{10, 0, 1, 2};
    BinaryReader r(d);
    const auto rec = r.beginRecord(r.u16());
    EXPECT_TRUE(r.failed());
    r.endRecord(rec);
    EXPECT_LE(r.position(), d.size());
}

TEST(BinaryStream, LengthOverflowIsReported) {
    BinaryWriter w;
    const auto len = w.beginLength16();
    w.zeros(70000);
    EXPECT_FALSE(w.endLength16(len));
}

}  // namespace
}  // namespace kestrune
