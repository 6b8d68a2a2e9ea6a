// The small pieces the I/O kinds share: the update-times divisor, linear
// scaling, OPC value conversions, the device text of the settings, the DDE
// link forms and the file version decoding.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "blocks/dde_link.h"
#include "blocks/io/io_source.h"
#include "blocks/io/linear_scaling.h"
#include "blocks/io/opc_value.h"
#include "blocks/io/update_divisor.h"
#include "blocks/record_version.h"

namespace kestrune::io_test {
namespace {

TEST(UpdateDivisorTest, ActsOnTheFirstScanAndEveryNthAfter) {
    UpdateDivisor d;
    d.setTimes(3);
    std::vector<int> acted;
    for (int scan = 1; scan <= 10; ++scan) {
        if (d.due()) acted.push_back(scan);
    }
    EXPECT_EQ(acted, (std::vector<int>{1, 4, 7, 10}));
}

TEST(UpdateDivisorTest, TheSixteenBitCounterWraps) {
    UpdateDivisor d;
    d.setTimes(3);
    d.setCounter(65535);  // a multiple of 3
    EXPECT_TRUE(d.due());
    EXPECT_EQ(d.counter(), 0);
    EXPECT_TRUE(d.due());  // 0 again: two scans in a row act at the wrap
    EXPECT_FALSE(d.due());
}

TEST(UpdateDivisorTest, TimesStayWithinTheirLimits) {
    UpdateDivisor d;
    d.setTimes(0);
    EXPECT_EQ(d.times(), 1);
    d.setTimes(20000);
    EXPECT_EQ(d.times(), 10000);
    d.setTimes(-5);
    EXPECT_EQ(d.times(), 1);
}

TEST(LinearScalingTest, MapsTheSpanAndLimitsTheResult) {
    LinearScaling s{1, 20.0f, 4.0f, 100.0f, 0.0f};  // 4..20 mA -> 0..100 %
    EXPECT_FLOAT_EQ(s.apply(12.0f), 50.0f);
    EXPECT_FLOAT_EQ(s.apply(25.0f), 100.0f);
    EXPECT_FLOAT_EQ(s.apply(0.0f), 0.0f);
    s.enabled = 0;
    EXPECT_FLOAT_EQ(s.apply(12.0f), 12.0f);
    s = {1, 4.0f, 4.0f, 100.0f, 0.0f};
    EXPECT_FALSE(s.active());
    EXPECT_FLOAT_EQ(s.apply(7.0f), 7.0f);
}

TEST(OpcValueTest, AnalogReadingsByType) {
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(std::int16_t{-32768})), -32768.0f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(std::uint16_t{65535})), 65535.0f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(std::uint32_t{4294967295u})), 4294967295.0f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(std::int32_t{-5})), -5.0f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(0.1)), 0.1f);  // narrowed
    EXPECT_FLOAT_EQ(analogFromVariant(Variant(true)), 1.0f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant("2.5")), 2.5f);
    EXPECT_FLOAT_EQ(analogFromVariant(Variant()), 0.0f);
}

TEST(OpcValueTest, IntegersForWritesInTheItemsType) {
    EXPECT_EQ(integerAsVariant(VarType::I2, 0x12345), Variant(std::int16_t{0x2345}));
    EXPECT_EQ(integerAsVariant(VarType::Bool, 4), Variant(true));
    EXPECT_EQ(integerAsVariant(VarType::Bool, 0), Variant(false));
    EXPECT_EQ(integerAsVariant(VarType::I4, -7), Variant(std::int32_t{-7}));
    EXPECT_EQ(integerAsVariant(VarType::R4, 3), Variant(3.0f));
    EXPECT_EQ(integerAsVariant(VarType::R8, 3), Variant(3.0));
    EXPECT_EQ(integerAsVariant(VarType::BStr, 42), Variant("42"));
    EXPECT_EQ(integerAsVariant(VarType::Empty, 9), Variant(std::int32_t{9}));
    EXPECT_EQ(integerFromVariant(Variant(2.9)), 2);
    EXPECT_EQ(integerFromVariant(Variant(1e12)), std::numeric_limits<std::int32_t>::max());
}

TEST(IoSourceTest, DeviceTextForm) {
    IoSource s;
    EXPECT_EQ(s.deviceText(), "");
    EXPECT_TRUE(s.setDeviceText("3:1"));
    EXPECT_EQ(s.deviceNumber, 3);
    EXPECT_EQ(s.deviceKind, 1);
    EXPECT_EQ(s.deviceText(), "3:1");
    EXPECT_TRUE(s.setDeviceText("4"));
    EXPECT_EQ(s.deviceKind, 0);
    for (const char* bad : {"x", "3:", ":1", "3:256", "70000", "-2", "1:2:3"}) {
        EXPECT_FALSE(s.setDeviceText(bad)) << bad;
        EXPECT_EQ(s.deviceNumber, 4) << bad;
    }
    EXPECT_TRUE(s.setDeviceText("-1"));
    EXPECT_EQ(s.deviceNumber, IoSource::kNoDevice);
}

TEST(IoSourceTest, RunnableAndSelected) {
    IoSource s;
    EXPECT_FALSE(s.runnable());
    EXPECT_FALSE(s.selected());
    s.kind = IoSourceKind::Opc;
    s.opcItem.setText(5, "Shown");
    EXPECT_TRUE(s.selected());
    EXPECT_FALSE(s.runnable());
    s.opcItem.setText(2, "Server");
    s.opcItem.setText(3, "Item");
    EXPECT_TRUE(s.runnable());
}

TEST(DdeLinkTest, ClipboardAndTextForms) {
    const DdeLinkNames names{"EXCEL", "Sheet1", "R1C1"};
    const std::string clip = makeClipboardLink(names);
    EXPECT_EQ(clip, std::string("EXCEL\0Sheet1\0R1C1\0\0", 19));
    EXPECT_EQ(parseClipboardLink(clip), names);
    EXPECT_FALSE(parseClipboardLink(std::string("EXCEL\0Sheet1", 12)).has_value());
    EXPECT_TRUE(makeClipboardLink({"Kestrune", "", "AI1"}).empty());
    EXPECT_TRUE(makeClipboardLink({std::string(100, 's'), "t", std::string(40, 'i')}).empty());

    EXPECT_EQ(formatLinkText(names), "EXCEL|Sheet1!R1C1");
    EXPECT_EQ(formatLinkText({}), "");
    EXPECT_EQ(parseLinkText("EXCEL|Sheet1!R1C1"), names);
    EXPECT_EQ(parseLinkText(""), DdeLinkNames{});
    EXPECT_FALSE(parseLinkText("EXCEL!Sheet1|R1C1").has_value());
    EXPECT_EQ(parseLinkText("A|B!C!D")->item, "C!D");
}

TEST(RecordVersionTest, MajorOrCombined) {
    EXPECT_EQ(RecordVersion::from(3).major, 3);
    EXPECT_TRUE(RecordVersion::from(3).oldFormat());
    EXPECT_EQ(RecordVersion::from(4).combined, RecordVersion::kCurrentCombined);
    const RecordVersion v = RecordVersion::from(40003);
    EXPECT_EQ(v.major, 4);
    EXPECT_EQ(v.combined, 40003u);
    EXPECT_FALSE(v.oldFormat());
    EXPECT_TRUE(RecordVersion::from(30000).oldFormat());
}

}  // namespace
}  // namespace kestrune::io_test
