#include <limits>

#include <gtest/gtest.h>

#include "components/opc/opc_codes.h"
#include "components/opc/opc_item_record.h"
#include "components/opc/variant.h"

namespace kestrune {
namespace {

TEST(Variant, TypeCodesAreTheOnesTheBlocksTest) {
    EXPECT_EQ(Variant().type(), VarType::Empty);
    EXPECT_EQ(static_cast<int>(Variant(std::int16_t{1}).type()), 2);
    EXPECT_EQ(static_cast<int>(Variant(1).type()), 3);
    EXPECT_EQ(static_cast<int>(Variant(1.0f).type()), 4);
    EXPECT_EQ(static_cast<int>(Variant(1.0).type()), 5);
    EXPECT_EQ(static_cast<int>(Variant("x").type()), 8);
    EXPECT_EQ(static_cast<int>(Variant(true).type()), 11);
    EXPECT_EQ(static_cast<int>(Variant(std::uint16_t{1}).type()), 18);
    EXPECT_EQ(static_cast<int>(Variant(std::uint32_t{1}).type()), 19);
    for (VarType t : {VarType::I2, VarType::I4, VarType::R4, VarType::R8, VarType::BStr, VarType::Bool,
                      VarType::UI2, VarType::UI4})
        EXPECT_EQ(Variant::ofType(t).type(), t);
}

TEST(Variant, ConsumerConversionsTruncateAndSaturate) {
    EXPECT_EQ(Variant(2.9f).toInt32(), 2);
    EXPECT_EQ(Variant(-2.9).toInt32(), -2);
    EXPECT_EQ(Variant(1e12).toInt32(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Variant(-1e12).toInt32(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Variant(std::numeric_limits<double>::quiet_NaN()).toInt32(), 0);
    EXPECT_EQ(Variant(std::uint32_t{4000000000u}).toInt32(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Variant(true).toInt32(), 1);
    EXPECT_FLOAT_EQ(Variant(0.1).toFloat(), 0.1f);  // a double narrowed to float
    EXPECT_DOUBLE_EQ(Variant(" 12.5 ").toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(Variant("abc").toDouble(), 0.0);
    EXPECT_EQ(Variant(42).toString(), "42");
    EXPECT_EQ(Variant(1.5f).toString(), "1.5");
    EXPECT_EQ(Variant().toString(), "");
}

TEST(Variant, ChangeTypeRoundsAndRefusesWhatDoesNotFit) {
    Variant v(2.5f);
    ASSERT_TRUE(v.changeType(VarType::I4));
    EXPECT_EQ(*v.get<std::int32_t>(), 2);  // to nearest, ties to even
    v = Variant(70000);
    EXPECT_FALSE(v.changeType(VarType::I2));
    EXPECT_EQ(v.type(), VarType::I4);  // left alone
    v = Variant(-1);
    EXPECT_FALSE(v.changeType(VarType::UI2));
    v = Variant(65535);
    ASSERT_TRUE(v.changeType(VarType::UI2));
    EXPECT_EQ(*v.get<std::uint16_t>(), 65535);
    v = Variant("3.75");
    ASSERT_TRUE(v.changeType(VarType::R8));
    EXPECT_DOUBLE_EQ(*v.get<double>(), 3.75);
    v = Variant("pump");
    EXPECT_FALSE(v.changeType(VarType::R4));
    EXPECT_EQ(*v.get<std::string>(), "pump");
    v = Variant(1e300);
    EXPECT_FALSE(v.changeType(VarType::R4));
    v = Variant(7);
    ASSERT_TRUE(v.changeType(VarType::Bool));
    EXPECT_EQ(*v.get<bool>(), true);
    ASSERT_TRUE(v.changeType(VarType::BStr));
    EXPECT_EQ(*v.get<std::string>(), "1");
}

TEST(OpcItemRecord, TextsSitAtTheirOffsetsAndAlwaysEnd) {
    OpcItemRecord r;
    EXPECT_EQ(r.bytes().size(), 321u);
    r.setFlag(1);
    r.setText(2, "Kestrune.Simulation");
    r.setText(5, std::string(100, 'x'));
    EXPECT_EQ(r.bytes()[0], 1);
    EXPECT_EQ(r.bytes()[65], 'K');
    EXPECT_EQ(r.text(2), "Kestrune.Simulation");
    EXPECT_EQ(r.text(5), std::string(63, 'x'));
    EXPECT_EQ(r.bytes()[257 + 63], 0);
    EXPECT_EQ(r.text(1), "");
    EXPECT_EQ(r.text(0), "");
    EXPECT_EQ(r.text(6), "");
    r.setText(6, "ignored");
    EXPECT_EQ(r.bytes()[320], 0);
    // A damaged record without terminators ends each text at its slot.
    r.bytes().fill('y');
    EXPECT_EQ(r.text(3), std::string(64, 'y'));
    EXPECT_EQ(r.text(5), std::string(64, 'y'));
}

TEST(OpcCodes, CodesSurviveTheTwelveBitMaskAndStayApartFromTheDriversAndTheProgramsIds) {
    const Code full = opcCode(OpcError::ItemNotFound);
    EXPECT_GT(full, 59999);
    EXPECT_TRUE(isOpcCode(full));
    EXPECT_TRUE(isOpcCode(full & 0xFFF));
    EXPECT_FALSE(isOpcCode(15));
    EXPECT_FALSE(isOpcCode(306));
    EXPECT_FALSE(isOpcCode(0x10000 + 0x402));
    EXPECT_EQ(opcErrorText(full & 0xFFF), opcErrorText(full));
    EXPECT_TRUE(opcErrorText(12).empty());
}

TEST(OpcCodes, QualityWords) {
    EXPECT_TRUE(qualityIsGood(0xC0));
    EXPECT_TRUE(qualityIsGood(0xDB));
    EXPECT_FALSE(qualityIsGood(0x40));
    EXPECT_FALSE(qualityIsGood(0x18));
    EXPECT_EQ(qualityText(0x18), "Bad (communication failure)");
    EXPECT_EQ(qualityText(0x1B), "Bad (communication failure)");  // limit bits do not matter
    EXPECT_EQ(qualityText(0xC0), "Good");
    EXPECT_EQ(qualityText(0x44), "Uncertain (last usable value)");
    EXPECT_EQ(qualityText(0x80), "Bad (invalid quality)");
}

}  // namespace
}  // namespace kestrune
