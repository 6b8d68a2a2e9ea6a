#include "properties/property_text.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

namespace pt = propertytext;

TEST(PropertyText, IntegersAreStrict) {
    EXPECT_EQ(pt::parseInt(" 12 "), 12);
    EXPECT_EQ(pt::parseInt("+7"), 7);
    EXPECT_EQ(pt::parseInt("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(pt::parseInt("9223372036854775808"));  // one past the largest
    EXPECT_FALSE(pt::parseInt("12a"));
    EXPECT_FALSE(pt::parseInt("1 2"));
    EXPECT_FALSE(pt::parseInt(""));
    EXPECT_FALSE(pt::parseInt("+"));
    EXPECT_FALSE(pt::parseInt("+-3"));
}

TEST(PropertyText, NumbersAreFiniteAndRoundTrip) {
    EXPECT_EQ(pt::parseNumber("-1e3"), -1000.0);
    EXPECT_EQ(pt::parseNumber(".5"), 0.5);
    EXPECT_FALSE(pt::parseNumber("nan"));
    EXPECT_FALSE(pt::parseNumber("inf"));
    EXPECT_FALSE(pt::parseNumber("1e999"));
    EXPECT_FALSE(pt::parseNumber("0x10"));
    for (double v : {0.1, -2.5e-7, 1.0 / 3.0, 123456789.125}) {
        EXPECT_EQ(pt::parseNumber(pt::formatNumber(v, false)), v);
    }
    const float f = 1.0f / 3.0f;
    EXPECT_EQ(static_cast<float>(*pt::parseNumber(pt::formatNumber(f, true))), f);
    EXPECT_EQ(pt::formatNumber(0.3f, true), "0.3");
    EXPECT_EQ(pt::formatNumber(10.0, false), "10");
}

TEST(PropertyText, ColoursInBothForms) {
    EXPECT_EQ(pt::parseColour("#FF0000"), rgb(255, 0, 0));
    EXPECT_EQ(pt::parseColour("#00ff00"), rgb(0, 255, 0));
    EXPECT_EQ(pt::parseColour("255"), 255u);            // the stored value: red
    EXPECT_EQ(pt::parseColour("0xFF0000"), 0xFF0000u);  // the stored value: blue
    EXPECT_FALSE(pt::parseColour("0x1000000"));
    EXPECT_FALSE(pt::parseColour("-1"));
    EXPECT_FALSE(pt::parseColour("#12345"));
    EXPECT_FALSE(pt::parseColour("#1234567"));
    EXPECT_FALSE(pt::parseColour("0x"));
    EXPECT_EQ(pt::formatColour(0x563412), "#123456");
}

TEST(PropertyText, FontTextNamesOnlyWhatIsSet) {
    LogFont f;
    EXPECT_EQ(pt::formatFont(f), "default");
    f.height = -8;
    f.charSet = 0;
    f.quality = 4;
    f.setFace("Helv");
    EXPECT_EQ(pt::formatFont(f), "height=-8;quality=4;face=Helv");
    EXPECT_EQ(pt::parseFont("height=-8;quality=4;face=Helv"), f);
    LogFont faceOnly;
    faceOnly.setFace("Mono");
    EXPECT_EQ(pt::formatFont(faceOnly), "face=Mono");
}

TEST(PropertyText, FontTextRefusesWhatItCannotHold) {
    EXPECT_EQ(pt::parseFont(""), LogFont{});
    EXPECT_EQ(pt::parseFont("default"), LogFont{});
    EXPECT_FALSE(pt::parseFont("height"));
    EXPECT_FALSE(pt::parseFont("size=3"));
    EXPECT_FALSE(pt::parseFont("height=1;height=2"));
    EXPECT_FALSE(pt::parseFont("weight=2147483648"));
    EXPECT_FALSE(pt::parseFont("underline=-1"));
    EXPECT_FALSE(pt::parseFont("face=" + std::string(32, 'a')));
    EXPECT_TRUE(pt::parseFont("face=" + std::string(31, 'a')));
}

TEST(PropertyText, UnterminatedFaceIsCutToWhatReadsBack) {
    LogFont f;
    f.faceName.fill('Q');
    const std::string text = pt::formatFont(f);
    const auto back = pt::parseFont(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->face(), std::string(31, 'Q'));
}

}  // namespace
}  // namespace kestrune
