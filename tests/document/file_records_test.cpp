#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "components/tagdb/tag_database.h"
#include "document/file_version.h"
#include "document/network_records.h"
#include "document/protection.h"
#include "document/strategy_options.h"
#include "document/virtual_tag.h"
#include "document/window_placement.h"
#include "taskmodel/graph_object.h"

namespace kestrune {
namespace {

TEST(FileVersionTest, DecodesEachRangeOfTheVersionWord) {
    const auto old = FileVersion::decode(3, 7);
    ASSERT_TRUE(old);
    EXPECT_EQ(*old, (FileVersion{3, 7, 0}));

    const auto four = FileVersion::decode(4, 2);
    ASSERT_TRUE(four);
    EXPECT_EQ(*four, (FileVersion{4, 0, 2}));
    EXPECT_EQ(four->combined(), 40002u);

    const auto current = FileVersion::decode(425, 0);
    ASSERT_TRUE(current);
    EXPECT_EQ(*current, FileVersion::current());
    EXPECT_EQ(current->combined(), 42500u);
    EXPECT_EQ(current->text(), "4.25.000");
    EXPECT_EQ(current->versionWord(), 425);

    EXPECT_EQ(FileVersion::decode(401, 12)->text(), "4.01.012");
}

TEST(FileVersionTest, WordsBetweenFiveAnd399AreNoVersion) {
    EXPECT_FALSE(FileVersion::decode(5, 0));
    EXPECT_FALSE(FileVersion::decode(100, 0));
    EXPECT_FALSE(FileVersion::decode(399, 0));
    EXPECT_TRUE(FileVersion::decode(400, 0));
    EXPECT_TRUE(FileVersion::decode(0, 0));
}

PasswordBuffer bufferOf(std::string_view text) {
    PasswordBuffer b{};
    std::memcpy(b.data(), text.data(), text.size());
    return b;
}

TEST(ProtectionTest, ScrambleMovesBitIToBitEightIModulo191) {
    // Only bit i set in the plain buffer lands on bit (8 i) mod 191, bit 191 on itself.
    for (std::size_t i : {0u, 1u, 23u, 24u, 100u, 190u, 191u}) {
        PasswordBuffer plain{};
        plain[i / 8] = static_cast<std::uint8_t>(1u << (i % 8));
        const PasswordBuffer out = scramblePassword(plain, 0);
        const std::size_t n = i == 191 ? 191 : (8 * i) % 191;
        PasswordBuffer expected{};
        expected[n / 8] = static_cast<std::uint8_t>(1u << (n % 8));
        EXPECT_EQ(out, expected) << "bit " << i;
    }
}

TEST(ProtectionTest, ScrambleXorsEachWordWithTheKeyAndUnscrambleReverses) {
    const PasswordBuffer plain = bufferOf("secret-23-characters-ok");
    const std::uint32_t key = 0xA1B2C3D0u;
    const PasswordBuffer zeroKey = scramblePassword(plain, 0);
    const PasswordBuffer keyed = scramblePassword(plain, key);
    for (std::size_t k = 0; k < 24; ++k) {
        EXPECT_EQ(keyed[k], zeroKey[k] ^ static_cast<std::uint8_t>(key >> (8 * (k % 4)))) << k;
    }
    EXPECT_EQ(unscramblePassword(keyed, key), plain);
    EXPECT_NE(keyed, plain);
}

TEST(ProtectionTest, KeyBitTwoTellsWhetherThereIsAPassword) {
    Protection open;
    BinaryWriter out;
    open.write(out, 0);
    ASSERT_EQ(out.size(), Protection::kBlockSize);
    const auto& bytes = out.data();
    EXPECT_NE(bytes[24] & Protection::kNoPasswordBit, 0);
    // No password leaves nothing of one in the file, scrambled or not.
    Protection wasSet;
    ASSERT_TRUE(wasSet.protect("abc"));
    wasSet.unprotect();
    BinaryWriter cleared;
    wasSet.write(cleared, 0);
    EXPECT_EQ(cleared.data(), out.data());

    Protection closed;
    ASSERT_TRUE(closed.protect("pump"));
    BinaryWriter locked;
    closed.write(locked, 0xFFFFFFFFu);
    EXPECT_EQ(locked.data()[24] & Protection::kNoPasswordBit, 0);

    BinaryReader in(locked.data());
    Protection back;
    ASSERT_TRUE(back.read(in));
    EXPECT_TRUE(back.isProtected());
    EXPECT_EQ(back.password(), "pump");
}

TEST(ProtectionTest, PasswordsAreLimitedTo23Characters) {
    Protection p;
    EXPECT_TRUE(p.protect(std::string(23, 'x')));
    EXPECT_FALSE(p.protect(std::string(24, 'y')));
    EXPECT_EQ(p.password(), std::string(23, 'x'));
}

StrategyOptions everyOption() {
    StrategyOptions o;
    o.beepOnError = true;
    o.logErrors = true;
    o.printEvents = PrintEvents::AlarmsOnly;
    o.eventLog = true;
    o.errorLimit = 3;
    o.displayRefreshMs = 120;
    o.securityChecking = true;
    o.frameLayout = kLayoutMenuBar | kLayoutTitleBar;
    o.startLocked = true;
    o.deviceTarget = true;
    o.deviceWidth = 640;
    o.deviceHeight = 240;
    return o;
}

StrategyOptions readOptions(const std::vector<std::uint8_t>& bytes, FileVersion version,
                            std::uint32_t r = 10) {
    BinaryReader in(bytes);
    EXPECT_EQ(in.tag(), StrategyOptions::kTag);
    StrategyOptions o = StrategyOptions::defaults(r);
    EXPECT_TRUE(o.read(in, version).ok());
    EXPECT_EQ(in.position(), bytes.size());
    return o;
}

TEST(StrategyOptionsTest, TheCurrentVersionCarriesEveryField) {
    BinaryWriter out;
    everyOption().write(out);
    ASSERT_EQ(out.size(), 28u);
    EXPECT_EQ(readOptions(out.data(), FileVersion::current()), everyOption());
}

TEST(StrategyOptionsTest, Version40002HasNoRefreshPeriodSoTheDividerIs50OverR) {
    // 4.00.002 stores no period: security, layout, lock follow the limit directly.
    BinaryWriter out;
    out.tag(StrategyOptions::kTag);
    out.u16(12);
    for (std::uint8_t b : {0, 1, 0, 0, 1, 1}) out.u8(b);
    out.u16(7);
    for (std::uint8_t b : {1, 3, 1, 0}) out.u8(b);
    const StrategyOptions o = readOptions(out.data(), FileVersion{4, 0, 2}, 20);
    EXPECT_EQ(o.errorLimit, 7);
    EXPECT_TRUE(o.securityChecking);
    EXPECT_EQ(o.frameLayout, 3);
    EXPECT_TRUE(o.startLocked);
    EXPECT_FALSE(o.deviceTarget);
    EXPECT_EQ(o.refreshDivider(20), 2u);  // 50 / 20
    EXPECT_EQ(o.displayRefreshMs, 40u);
}

TEST(StrategyOptionsTest, DividerFromThePeriodAndDefaults) {
    EXPECT_EQ(StrategyOptions::defaults(5).refreshDivider(5), 10u);
    // R above 50: 50 / R would be 0, and the divider is never below 1.
    EXPECT_EQ(StrategyOptions::defaults(100).refreshDivider(100), 1u);
    StrategyOptions o;
    o.displayRefreshMs = 53;
    EXPECT_EQ(o.refreshDivider(5), 10u);
    const StrategyOptions fresh = StrategyOptions::defaults(5);
    EXPECT_EQ(fresh.frameLayout, 255);
    EXPECT_FALSE(fresh.beepOnError || fresh.logErrors || fresh.eventLog || fresh.securityChecking);
}

TEST(StrategyOptionsTest, PrintEventsAboveTwoReadsAsNoneAndLongerRecordsAreSkipped) {
    StrategyOptions o = everyOption();
    BinaryWriter out;
    o.write(out);
    std::vector<std::uint8_t> bytes = out.take();
    bytes[4 + 2 + 4] = 9;  // print events
    bytes[4] = 26;         // a later version's longer record
    bytes.insert(bytes.end(), {1, 2, 3, 4});
    const StrategyOptions back = readOptions(bytes, FileVersion::current());
    EXPECT_EQ(back.printEvents, PrintEvents::None);
    EXPECT_EQ(back.deviceHeight, 240);
}

TEST(StrategyOptionsTest, ARecordShorterThanItsVersionPromisesIsALoadError) {
    BinaryWriter out;
    everyOption().write(out);
    std::vector<std::uint8_t> bytes = out.take();
    bytes[4] = 16;  // the handheld fields are missing
    bytes.resize(4 + 2 + 16);
    BinaryReader in(bytes);
    in.tag();
    StrategyOptions o;
    EXPECT_EQ(o.read(in, FileVersion::current()).code, kRecordLoadError);
}

TEST(WindowPlacementTest, RoundTripsAndSkipsALongerRecord) {
    WindowPlacement p;
    p.flags = 2;
    p.showCommand = WindowPlacement::kShowMaximized;
    p.minPosition = {-32000, -32000};
    p.maxPosition = {-4, -4};
    p.normal = {22, 22, 622, 422};
    BinaryWriter out;
    p.write(out);
    ASSERT_EQ(out.size(), 50u);
    std::vector<std::uint8_t> bytes = out.take();
    bytes[0] = 52;
    bytes.insert(bytes.end(), {9, 9, 9, 9, 0xEE});
    BinaryReader in(bytes);
    WindowPlacement back;
    ASSERT_TRUE(back.read(in).ok());
    EXPECT_EQ(back, p);
    EXPECT_EQ(in.u8(), 0xEE);

    std::vector<std::uint8_t> shortRecord(bytes.begin(), bytes.begin() + 30);
    shortRecord[0] = 28;
    BinaryReader cut(shortRecord);
    WindowPlacement untouched;
    EXPECT_EQ(untouched.read(cut).code, kRecordLoadError);
    EXPECT_EQ(untouched, WindowPlacement{});
}

class VirtualTagTest : public ::testing::Test {
  protected:
    VirtualTagTest() { tags.AddTaskName(kVirtualTaskName); }
    TagDatabase tags;
};

TEST_F(VirtualTagTest, PublishesInVirtaskWithItsHoldFlagAndWithdrawsOnDestruction) {
    {
        VirtualTag level(&tags, "LEVEL", VirtualTag::kFloat, true);
        EXPECT_TRUE(level.published());
        EXPECT_EQ(tags.GetTagType(kVirtualTaskName, "LEVEL"), kTagFloat);
        EXPECT_TRUE(tags.IsTagHeld(kVirtualTaskName, "LEVEL"));
        level.setHold(false);
        EXPECT_FALSE(tags.IsTagHeld(kVirtualTaskName, "LEVEL"));
    }
    EXPECT_FALSE(tags.IsTagExist(kVirtualTaskName, "LEVEL"));
}

TEST_F(VirtualTagTest, ATagOfTheSameNameIsNotTakenOver) {
    VirtualTag first(&tags, "LEVEL", VirtualTag::kInteger, false);
    {
        VirtualTag second(&tags, "LEVEL", VirtualTag::kFloat, true);
        EXPECT_FALSE(second.published());
        EXPECT_FALSE(tags.IsTagHeld(kVirtualTaskName, "LEVEL"));
    }
    EXPECT_TRUE(tags.IsTagExist(kVirtualTaskName, "LEVEL"));
}

TEST_F(VirtualTagTest, StoredTypesOutsideTheThreeAreRead) {
    EXPECT_EQ(VirtualTag::normaliseType(0), VirtualTag::kInteger);
    EXPECT_EQ(VirtualTag::normaliseType(3), VirtualTag::kFloat);
    EXPECT_EQ(VirtualTag::normaliseType(5), VirtualTag::kFloat);
    EXPECT_EQ(VirtualTag::normaliseType(4), VirtualTag::kString);
}

TEST_F(VirtualTagTest, RecordRoundTripsEachType) {
    BinaryWriter out;
    VirtualTag a(nullptr, "COUNT", VirtualTag::kInteger, false);
    a.setInitialInteger(-42);
    VirtualTag b(nullptr, "SETPT", VirtualTag::kFloat, true);
    b.setInitialFloat(1.25f);
    VirtualTag c(nullptr, "NOTE", VirtualTag::kString, false);
    c.setInitialText("hello");
    a.write(out);
    b.write(out);
    c.write(out);

    BinaryReader in(out.data());
    std::vector<std::unique_ptr<VirtualTag>> back(3);
    for (auto& tag : back) {
        ASSERT_EQ(in.tag(), VirtualTag::kTag);
        ASSERT_TRUE(VirtualTag::read(in, 4, &tags, tag).ok());
    }
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(back[0]->initialInteger(), -42);
    EXPECT_FLOAT_EQ(back[1]->initialFloat(), 1.25f);
    EXPECT_TRUE(back[1]->hold());
    EXPECT_TRUE(tags.IsTagHeld(kVirtualTaskName, "SETPT"));
    EXPECT_EQ(back[2]->initialText(), "hello");
    EXPECT_EQ(tags.GetTagType(kVirtualTaskName, "NOTE"), kTagString);
}

TEST_F(VirtualTagTest, VersionThreeRecordsHaveNoTypeAndHold) {
    BinaryWriter out;
    out.u16(4);
    out.bytes("OLD", 4);
    out.f32(7.5f);
    BinaryReader in(out.data());
    std::unique_ptr<VirtualTag> tag;
    ASSERT_TRUE(VirtualTag::read(in, 3, &tags, tag).ok());
    EXPECT_EQ(tag->type(), VirtualTag::kFloat);
    EXPECT_FALSE(tag->hold());
    EXPECT_FLOAT_EQ(tag->initialFloat(), 7.5f);
}

TEST_F(VirtualTagTest, ABadNameIsSkippedWholeAndACutValueKeepsTheTag) {
    BinaryWriter out;
    out.u16(12);
    out.bytes("ELEVENCHARS", 12);
    out.u16(1);
    out.u32(0);
    out.i32(5);
    out.u8(0x77);
    BinaryReader in(out.data());
    std::unique_ptr<VirtualTag> tag;
    EXPECT_EQ(VirtualTag::read(in, 4, &tags, tag).code, kRecordLoadError);
    EXPECT_EQ(tag, nullptr);
    EXPECT_FALSE(in.failed());
    EXPECT_EQ(in.u8(), 0x77);

    BinaryWriter cut;
    cut.u16(3);
    cut.bytes("AB", 3);
    cut.u16(2);
    cut.u32(1);
    cut.u16(0);  // half a float
    BinaryReader shortIn(cut.data());
    EXPECT_EQ(VirtualTag::read(shortIn, 4, &tags, tag).code, kRecordLoadError);
    ASSERT_NE(tag, nullptr);
    EXPECT_TRUE(tags.IsTagExist(kVirtualTaskName, "AB"));
}

TEST(NetworkRecordsTest, RoundTripAndFieldWidths) {
    NetworkTaskName name{"NPLANT2", "192.168.1.20"};
    NetworkSettings settings;
    settings.stationName = "LONGSTATIONNAME";  // cut to the 10-byte field
    settings.retryTimes = 4;
    settings.logMessages = 0;
    BinaryWriter out;
    name.write(out);
    settings.write(out);
    EXPECT_EQ(out.size(), 4 + 2 + 8 + 2 + 13 + 4 + 10 + 6 + 4 + 4);

    BinaryReader in(out.data());
    NetworkTaskName nameBack;
    NetworkSettings settingsBack;
    ASSERT_EQ(in.tag(), NetworkTaskName::kTag);
    ASSERT_TRUE(nameBack.read(in).ok());
    ASSERT_EQ(in.tag(), NetworkSettings::kTag);
    ASSERT_TRUE(settingsBack.read(in).ok());
    EXPECT_EQ(nameBack, name);
    EXPECT_EQ(settingsBack.stationName, "LONGSTATI");
    EXPECT_EQ(settingsBack.retryTimes, 4);
    EXPECT_EQ(settingsBack.logMessages, 0u);
}

}  // namespace
}  // namespace kestrune
