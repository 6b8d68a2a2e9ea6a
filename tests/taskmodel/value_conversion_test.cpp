#include "taskmodel/value_conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <thread>

#include "taskmodel/output_value.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

TEST(ParseInteger, DetachedSignKeepsItsDigits) {
    EXPECT_EQ(ParseInteger("-  12"), -12);
    EXPECT_EQ(ParseInteger("+ 7"), 7);
    EXPECT_EQ(ParseInteger("  -12"), -12);  // an attached sign needs no repair
    EXPECT_EQ(ParseInteger("42abc"), 42);
    EXPECT_EQ(ParseInteger("abc"), 0);
    EXPECT_EQ(ParseInteger(""), 0);
    // A blank that is not between sign and digits stays a blank.
    EXPECT_EQ(ParseInteger("12 - 3"), 12);
    // Something other than blanks between sign and digits stops the repair.
    EXPECT_EQ(ParseInteger("-x 5"), 0);
}

TEST(ParseInteger, OnlyTheFirst128CharactersCount) {
    std::string text(127, ' ');
    text += "5";
    EXPECT_EQ(ParseInteger(text), 5);
    std::string beyond(128, ' ');
    beyond += "5";
    EXPECT_EQ(ParseInteger(beyond), 0);
}

TEST(ParseInteger, SaturatesLikeA32BitLong) {
    EXPECT_EQ(ParseInteger("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseInteger("-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(ParseFloat, ReadsExponentsAndDetachedSigns) {
    EXPECT_FLOAT_EQ(ParseFloat("1.5e2"), 150.0f);
    EXPECT_FLOAT_EQ(ParseFloat("-  .5"), -0.5f);
    EXPECT_FLOAT_EQ(ParseFloat("- 2.25"), -2.25f);
    EXPECT_FLOAT_EQ(ParseFloat("3,5"), 3.0f);  // the "C" locale: a comma ends the number
    EXPECT_TRUE(std::isinf(ParseFloat("1e50")));
}

TEST(FormatValue, UsesTheClassicFormats) {
    EXPECT_EQ(FormatInteger(-42), "-42");
    EXPECT_EQ(FormatFloat(1.5f), "1.500000");
    EXPECT_EQ(FormatFloat(-0.25f), "-0.250000");
}

TEST(FloatToInteger, TruncatesAndSaturates) {
    EXPECT_EQ(FloatToInteger(2.9f), 2);
    EXPECT_EQ(FloatToInteger(-2.9f), -2);
    EXPECT_EQ(FloatToInteger(1e20f), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(FloatToInteger(-1e20f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FloatToInteger(std::numeric_limits<float>::quiet_NaN()), 0);
}

class ConvertValueTest : public GraphTest {
  protected:
    TestNode& node = add({}, {});
    std::array<char, kStringBufferSize> buffer{};
};

TEST_F(ConvertValueTest, StringToIntegerLandsInTheScratchInteger) {
    OutputValue text(kTypeString);
    text.setText("-  12");
    ASSERT_TRUE(ConvertValue(node, kTypeInteger, text, buffer));
    EXPECT_EQ(node.scratchInteger(), -12);
}

TEST_F(ConvertValueTest, StringToFloatLandsInTheScratchFloat) {
    OutputValue text(kTypeString);
    text.setText("1.5e2");
    ASSERT_TRUE(ConvertValue(node, kTypeFloat, text, buffer));
    EXPECT_FLOAT_EQ(node.scratchFloat(), 150.0f);
}

TEST_F(ConvertValueTest, NumbersConvertBothWaysAndToText) {
    OutputValue f(kTypeFloat);
    f.setFloat(-3.75f);
    ConvertValue(node, kTypeInteger, f, buffer);
    EXPECT_EQ(node.scratchInteger(), -3);
    ConvertValue(node, kTypeString, f, buffer);
    EXPECT_STREQ(buffer.data(), "-3.750000");

    OutputValue i(kTypeInteger);
    i.setInteger(7);
    ConvertValue(node, kTypeFloat, i, buffer);
    EXPECT_FLOAT_EQ(node.scratchFloat(), 7.0f);
    ConvertValue(node, kTypeString, i, buffer);
    EXPECT_STREQ(buffer.data(), "7");
}

TEST_F(ConvertValueTest, TextIsCutToTheBuffer) {
    OutputValue text(kTypeString);
    text.setText(std::string(300, 'x'));
    EXPECT_EQ(text.toText().size(), kMaxStringLength);
    std::array<char, 5> small{};
    ConvertValue(node, kTypeString, text, small);
    EXPECT_STREQ(small.data(), "xxxx");
}

TEST_F(ConvertValueTest, AnyOtherWantedTypeGivesNothing) {
    OutputValue i(kTypeInteger);
    i.setInteger(9);
    node.setScratchInteger(1);
    EXPECT_FALSE(ConvertValue(node, kTypeFloatArray, i, buffer));
    EXPECT_FALSE(ConvertValue(node, 3, i, buffer));
    EXPECT_EQ(node.scratchInteger(), 1);
}

TEST_F(ConvertValueTest, ArrayElementsConvertByTheirElementType) {
    OutputValue channels(kTypeFloatArray, 4);
    channels.setFloat(2.5f, 3);
    ConvertValue(node, kTypeInteger, channels, buffer, 3);
    EXPECT_EQ(node.scratchInteger(), 2);
    EXPECT_EQ(channels.toInteger(4), 0);  // beyond the array
    channels.setFloat(1.0f, 4);           // ignored
    EXPECT_EQ(channels.count(), 4u);
}

TEST(OutputValue, WritesConvertIntoTheValuesOwnType) {
    OutputValue i(kTypeInteger);
    i.setFloat(9.9f);
    EXPECT_EQ(i.toInteger(), 9);
    i.setText(" - 4");
    EXPECT_EQ(i.toInteger(), -4);
    OutputValue s(kTypeString);
    s.setInteger(12);
    EXPECT_EQ(s.toText(), "12");
    s.setFloat(0.5f);
    EXPECT_EQ(s.toText(), "0.500000");
    s.reset(kTypeInteger);
    EXPECT_EQ(s.toInteger(), 0);
}

// A reader on another thread sees whole values only (run under TSan).
TEST(OutputValue, ReadersOnOtherThreadsSeeWholeValues) {
    OutputValue text(kTypeString);
    OutputValue number(kTypeFloat);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            const std::string t = text.toText();
            EXPECT_TRUE(t.empty() || t == std::string(100, 'a') || t == std::string(50, 'b'));
            const float f = number.toFloat();
            EXPECT_TRUE(f == 0.0f || f == 1.25f || f == -8.0f);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        text.setText(i % 2 ? std::string(100, 'a') : std::string(50, 'b'));
        number.setFloat(i % 2 ? 1.25f : -8.0f);
    }
    done = true;
    reader.join();
}

}  // namespace
}  // namespace kestrune::testing
