#include "platform/log_font.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrune {
namespace {

LogFont sampleFont() {
    LogFont f;
    f.height = -13;
    f.width = 6;
    f.escapement = 900;
    f.orientation = 900;
    f.weight = LogFont::kWeightBold;
    f.italic = 1;
    f.underline = 0;
    f.strikeOut = 1;
    f.charSet = 161;
    f.outPrecision = 3;
    f.clipPrecision = 2;
    f.quality = 4;
    f.pitchAndFamily = 0x22;
    f.setFace("Helv");
    return f;
}

TEST(LogFont, RecordIsSixtyBytesInFieldOrder) {
    BinaryWriter w;
    sampleFont().write(w);
    const auto& d = w.data();
    ASSERT_EQ(d.size(), LogFont::kRecordSize);
    // height -13 as a little-endian 32-bit value
    EXPECT_EQ(d[0], 0xF3);
    EXPECT_EQ(d[3], 0xFF);
    EXPECT_EQ(d[16], 700 & 0xFF);  // weight
    EXPECT_EQ(d[20], 1);           // italic
    EXPECT_EQ(d[23], 161);         // charset
    EXPECT_EQ(d[27], 0x22);        // pitch and family
    EXPECT_EQ(std::memcmp(&d[28], "Helv\0", 5), 0);
}

TEST(LogFont, RoundTripKeepsEveryByteOfTheFace) {
    LogFont f = sampleFont();
    // Bytes after the terminator survive a load and save unchanged.
    f.faceName[20] = 'x';
    BinaryWriter w;
    f.write(w);
    BinaryReader r(w.data());
    const LogFont back = LogFont::read(r);
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back, f);
    EXPECT_EQ(back.face(), "Helv");
    BinaryWriter again;
    back.write(again);
    EXPECT_EQ(again.data(), w.data());
}

TEST(LogFont, FaceIsCutToLeaveATerminator) {
    LogFont f;
    f.setFace(std::string(40, 'A'));
    EXPECT_EQ(f.face(), std::string(31, 'A'));
    EXPECT_EQ(f.faceName[31], '\0');
    f.setFace("Sans");
    EXPECT_EQ(f.face(), "Sans");
    EXPECT_EQ(f.faceName[4], '\0');
    EXPECT_EQ(f.faceName[30], '\0');  // the longer old face is gone
}

TEST(LogFont, UnterminatedFaceReadsAllThirtyTwoBytes) {
    LogFont f;
    f.faceName.fill('Z');
    EXPECT_EQ(f.face(), std::string(32, 'Z'));
}

TEST(LogFont, BlockHasLengthSixty) {
    BinaryWriter w;
    sampleFont().writeBlock(w);
    ASSERT_EQ(w.size(), 62u);
    EXPECT_EQ(w.data()[0], 60);
    EXPECT_EQ(w.data()[1], 0);
    BinaryReader r(w.data());
    LogFont back;
    ASSERT_TRUE(LogFont::readBlock(r, false, back).ok());
    EXPECT_EQ(back, sampleFont());
    EXPECT_TRUE(r.atEnd());
}

// The block of version 3 files: five 16-bit values, then the 40 common bytes.
std::vector<std::uint8_t> oldBlock(std::int16_t height, std::int16_t weight, std::uint16_t lengthWord = 50) {
    BinaryWriter w;
    w.u16(lengthWord);
    w.i16(height);
    w.i16(0);
    w.i16(-450);  // escapement
    w.i16(0);
    w.i16(weight);
    w.u8(1);  // italic
    w.zeros(7);
    w.fixedString("Courier", 32);
    return w.take();
}

TEST(LogFont, OldFormWidensSixteenBitValuesWithTheirSign) {
    const auto data = oldBlock(-16, 700);
    BinaryReader r(data);
    LogFont f;
    ASSERT_TRUE(LogFont::readBlock(r, true, f).ok());
    EXPECT_EQ(f.height, -16);
    EXPECT_EQ(f.escapement, -450);
    EXPECT_EQ(f.weight, 700);
    EXPECT_EQ(f.italic, 1);
    EXPECT_EQ(f.face(), "Courier");
    EXPECT_TRUE(r.atEnd());
    // Written back it takes the current 60-byte form.
    BinaryWriter w;
    f.writeBlock(w);
    BinaryReader again(w.data());
    LogFont g;
    ASSERT_TRUE(LogFont::readBlock(again, false, g).ok());
    EXPECT_EQ(g, f);
}

TEST(LogFont, LongerBlockIsSkippedToItsEnd) {
    BinaryWriter w;
    w.u16(64);
    sampleFont().write(w);
    w.u32(0xAAAAAAAA);  // four bytes a later writer added
    w.u16(0x1234);      // the next field
    BinaryReader r(w.data());
    LogFont f;
    ASSERT_TRUE(LogFont::readBlock(r, false, f).ok());
    EXPECT_EQ(f, sampleFont());
    EXPECT_EQ(r.u16(), 0x1234);
}

TEST(LogFont, TruncatedBlockFailsAndLeavesTheFontAlone) {
    BinaryWriter w;
    sampleFont().writeBlock(w);
    auto data = w.take();
    data.resize(40);
    BinaryReader r(data);
    LogFont f;
    f.setFace("Keep");
    const Status s = LogFont::readBlock(r, false, f);
    EXPECT_EQ(s.code, 32855);
    EXPECT_EQ(f.face(), "Keep");
    EXPECT_LE(r.position(), data.size());

    // A length word promising more than the data holds is refused as well.
    auto old = oldBlock(-8, 400, 200);
    BinaryReader r2(old);
    EXPECT_EQ(LogFont::readBlock(r2, true, f).code, 32855);
    EXPECT_EQ(f.face(), "Keep");
}

TEST(LogFont, EmptyInputFails) {
    BinaryReader r;
    LogFont f;
    EXPECT_FALSE(LogFont::readBlock(r, false, f).ok());
    EXPECT_FALSE(LogFont::readBlock(r, true, f).ok());
}

}  // namespace
}  // namespace kestrune
