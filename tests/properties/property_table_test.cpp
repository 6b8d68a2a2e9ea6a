#include "properties/property_table.h"

#include <gtest/gtest.h>

#include "properties/fake_kind.h"

namespace kestrune {
namespace {

using testing::FakeKind;
using testing::Orientation;

class PropertySetTest : public ::testing::Test {
  protected:
    std::size_t at(std::string_view key) {
        const auto i = props.indexOf(key);
        EXPECT_TRUE(i.has_value()) << key;
        return i.value_or(0);
    }
    Status setText(std::string_view key, std::string_view text) { return props.setText(at(key), text); }

    FakeKind kind;
    PropertySet props = kind.properties();
};

TEST(PropertyTable, DescribesItsFieldsForAGenericDialog) {
    const auto& t = FakeKind::table();
    EXPECT_TRUE(t.selfCheck().ok()) << t.selfCheck().context;
    EXPECT_EQ(t.pages(), (std::vector<std::string>{"", "Scaling", "Look"}));

    const PropertyField& from = t.field(t.indexOf("fromChannel").value());
    EXPECT_EQ(from.label, "&From channel:");
    EXPECT_EQ(from.caption(), "From channel");
    EXPECT_EQ(from.type, PropertyType::Int);
    EXPECT_EQ(from.group, "Channels");
    EXPECT_EQ(from.intMin, 0);
    EXPECT_EQ(from.intMax, 31);

    const PropertyField& scaling = t.field(t.indexOf("scaling").value());
    EXPECT_EQ(scaling.page, "Scaling");
    EXPECT_EQ(scaling.group, "");  // a new page starts without a group
    EXPECT_EQ(scaling.help, "Scale the readings linearly.");

    EXPECT_TRUE(t.field(t.indexOf("tag").value()).readOnly);
    EXPECT_EQ(t.field(t.indexOf("description").value()).maxLength, 9u);
    EXPECT_EQ(t.field(t.indexOf("fileName").value()).type, PropertyType::FilePath);
    EXPECT_EQ(t.fieldsOf("Look").size(), 4u);
}

TEST(PropertyTable, KeysComeFromLabels) {
    EXPECT_EQ(PropertyTableBase::keyFromLabel("&Update times"), "updateTimes");
    EXPECT_EQ(PropertyTableBase::keyFromLabel("C&hannel:"), "channel");
    EXPECT_EQ(PropertyTableBase::keyFromLabel("Establish DD&E link ( Channel 0 only)"),
              "establishDdeLinkChannel0Only");
    EXPECT_EQ(PropertyTableBase::keyFromLabel("n1"), "n1");
}

TEST(PropertyTable, MemberLimitsNeverExceedTheMemberType) {
    struct Small {
        std::uint8_t level = 0;
        std::int16_t offset = 0;
    };
    PropertyTable<Small> t;
    t.addInt("Level", &Small::level, -5, 1000);
    t.addInt("Offset", &Small::offset, -100000, 10);
    EXPECT_EQ(t.field(0).intMin, 0);
    EXPECT_EQ(t.field(0).intMax, 255);
    EXPECT_EQ(t.field(1).intMin, -32768);
    EXPECT_EQ(t.field(1).intMax, 10);
    Small s;
    PropertySet p = t.bind(s);
    EXPECT_FALSE(p.set(0, std::int64_t{256}).ok());
    EXPECT_TRUE(p.set(0, std::int64_t{255}).ok());
    EXPECT_EQ(s.level, 255);
}

TEST(PropertyTable, SelfCheckFindsFaultsInATable) {
    struct K {
        int a = 0;
        int b = 0;
        int c = 0;
    };
    {
        PropertyTable<K> t;
        t.addInt("Value", &K::a, 0, 10);
        t.addInt("Value:", &K::b, 0, 10);  // same key once the colon goes
        EXPECT_NE(t.selfCheck().context.find("key used twice"), std::string::npos);
    }
    {
        PropertyTable<K> t;
        t.addInt("Value", &K::a, 10, 0);
        EXPECT_FALSE(t.selfCheck().ok());
    }
    {
        PropertyTable<K> t;
        t.addInt("Value", &K::a, 0, 10).defaultValue(std::int64_t{11});
        EXPECT_NE(t.selfCheck().context.find("default refused"), std::string::npos);
    }
    {
        PropertyTable<K> t;
        t.addChoice("Mode", &K::c, {});
        EXPECT_FALSE(t.selfCheck().ok());
        PropertyTable<K> u;
        u.addChoice("Mode", &K::c, {{0, "A"}, {0, "B"}});
        EXPECT_FALSE(u.selfCheck().ok());
    }
}

TEST_F(PropertySetTest, IntegerLimitsAndTheRangeMessage) {
    EXPECT_TRUE(setText("fromChannel", "15").ok());
    EXPECT_EQ(kind.firstChannel, 15);

    const Status s = setText("fromChannel", "32");
    EXPECT_EQ(s.code, 61453);
    EXPECT_EQ(s.context, "From channel: The number must be in the range from 0 to 31.");
    EXPECT_EQ(kind.firstChannel, 15);

    EXPECT_EQ(setText("fromChannel", "-1").code, 61453);
    EXPECT_EQ(setText("fromChannel", "seven").code, 61453);  // not a number at all
    EXPECT_EQ(setText("fromChannel", "").code, 61453);
    EXPECT_EQ(setText("fromChannel", "3.5").code, 61453);
    EXPECT_EQ(kind.firstChannel, 15);
}

TEST_F(PropertySetTest, AKindsOwnRangeMessageReplacesTheCommonOne) {
    const Status s = setText("ticks", "21");
    EXPECT_EQ(s.code, 33014);
    EXPECT_EQ(s.context, "Number of ticks cannot be less than 2 or exceed 20.");
    EXPECT_EQ(kind.ticks, 10);
}

TEST_F(PropertySetTest, FloatsRefuseNonNumbersAndShowFloatDigits) {
    EXPECT_TRUE(setText("gain", "0.1").ok());
    EXPECT_EQ(kind.gain, 0.1f);
    EXPECT_EQ(props.text(at("gain")), "0.1");  // not the double 0.10000000149...
    EXPECT_TRUE(setText("span", " 1e2 ").ok());
    EXPECT_EQ(kind.span, 100.0);

    for (const char* bad : {"nan", "inf", "-inf", "1,5", "1e400", "x"}) {
        const Status s = setText("span", bad);
        EXPECT_EQ(s.code, 61453) << bad;
        EXPECT_EQ(s.context, "Span: The number must be in the range from 0.001 to 359.999.") << bad;
    }
    EXPECT_EQ(kind.span, 100.0);
    EXPECT_EQ(setText("gain", "100.5").code, 61453);
}

TEST_F(PropertySetTest, BoolsReadCommonSpellings) {
    const std::size_t i = at("scaling");
    for (const char* yes : {"true", "TRUE", "1", "yes", "On"}) {
        kind.scaling = 0;
        EXPECT_TRUE(props.setText(i, yes).ok()) << yes;
        EXPECT_EQ(kind.scaling, 1) << yes;
    }
    EXPECT_TRUE(props.setText(i, "off").ok());
    EXPECT_EQ(kind.scaling, 0);
    const Status s = props.setText(i, "maybe");
    EXPECT_EQ(s.code, 32874);
    EXPECT_EQ(s.context, "Invalid parameter(s) : Enable scaling, \"maybe\" is neither true nor false");
    EXPECT_EQ(props.text(i), "false");
}

TEST_F(PropertySetTest, ChoicesByLabelOrValue) {
    const std::size_t i = at("orientation");
    EXPECT_TRUE(props.setText(i, "Down").ok());
    EXPECT_EQ(kind.orientation, Orientation::Down);
    EXPECT_EQ(props.text(i), "Down");
    EXPECT_EQ(props.value(i), PropertyValue(std::int64_t{1}));
    EXPECT_TRUE(props.setText(i, "left").ok());  // any case
    EXPECT_EQ(kind.orientation, Orientation::Left);
    EXPECT_TRUE(props.setText(i, "2").ok());
    EXPECT_EQ(kind.orientation, Orientation::Right);

    const Status s = props.setText(i, "Diagonal");
    EXPECT_EQ(s.code, 32874);
    EXPECT_EQ(s.context,
              "Invalid parameter(s) : Orientation, \"Diagonal\" is not one of: Up, Down, Right, Left");
    EXPECT_EQ(props.set(i, std::int64_t{4}).code, 32874);
    EXPECT_EQ(kind.orientation, Orientation::Right);
}

TEST_F(PropertySetTest, StringsKeepTheirLimit) {
    const std::size_t i = at("description");
    EXPECT_TRUE(props.setText(i, "123456789").ok());
    const Status s = props.setText(i, "1234567890");
    EXPECT_EQ(s.code, 32874);
    EXPECT_EQ(s.context, "Invalid parameter(s) : Description, at most 9 characters");
    EXPECT_EQ(kind.description, "123456789");
    EXPECT_FALSE(props.setText(i, std::string("ab\0c", 4)).ok());
    EXPECT_TRUE(props.setText(at("fileName"), std::string(259, 'f')).ok());
    EXPECT_FALSE(props.setText(at("fileName"), std::string(260, 'f')).ok());
}

TEST_F(PropertySetTest, ColoursShowAsRedGreenBlue) {
    const std::size_t i = at("colour");
    EXPECT_EQ(props.text(i), "#FF0000");  // stored 0x0000FF is red
    EXPECT_TRUE(props.setText(i, "#00FF80").ok());
    EXPECT_EQ(kind.colour, rgb(0x00, 0xFF, 0x80));
    EXPECT_TRUE(props.setText(i, "0xC0C0C0").ok());  // the stored form
    EXPECT_EQ(kind.colour, 0xC0C0C0u);
    EXPECT_TRUE(props.set(i, std::int64_t{0x808080}).ok());
    EXPECT_EQ(kind.colour, 0x808080u);
    EXPECT_FALSE(props.setText(i, "#GG0000").ok());
    EXPECT_FALSE(props.setText(i, "#FFF").ok());
    EXPECT_FALSE(props.set(i, std::int64_t{0x1000000}).ok());
    EXPECT_FALSE(props.set(i, std::int64_t{-1}).ok());
    EXPECT_EQ(kind.colour, 0x808080u);
}

TEST_F(PropertySetTest, FontsTravelAsText) {
    const std::size_t i = at("font");
    EXPECT_EQ(props.text(i), "default");
    ASSERT_TRUE(props.setText(i, "height=-13; weight=700;face=Helv").ok());
    EXPECT_EQ(kind.font.height, -13);
    EXPECT_EQ(kind.font.weight, 700);
    EXPECT_EQ(kind.font.face(), "Helv");
    EXPECT_EQ(props.text(i), "height=-13;weight=700;face=Helv");
    EXPECT_EQ(props.setText(i, "height=big").code, 32874);
    EXPECT_EQ(props.setText(i, "italic=256").code, 32874);
    EXPECT_EQ(kind.font.height, -13);
}

// Whatever the dialog shows reads back to the same value, for every field.
TEST_F(PropertySetTest, TextRoundTripsForEveryField) {
    kind.firstChannel = 3;
    kind.lastChannel = 7;
    kind.gain = 2.7182817f;
    kind.span = 123.456789012345;
    kind.scaling = 1;
    kind.inMin = -0.3f;
    kind.orientation = Orientation::Left;
    kind.description = "Boiler 2";
    kind.file = "logs/a;b.txt";
    kind.colour = rgb(1, 2, 3);
    kind.font.height = -11;
    kind.font.italic = 1;
    kind.font.setFace("DejaVu; Sans");
    for (std::size_t i = 0; i < props.size(); ++i) {
        if (props.field(i).readOnly) continue;
        const PropertyValue before = props.value(i);
        const std::string text = props.text(i);
        ASSERT_TRUE(props.setText(i, text).ok()) << props.field(i).key << " " << text;
        EXPECT_EQ(props.value(i), before) << props.field(i).key << " " << text;
    }
    EXPECT_EQ(kind.font.face(), "DejaVu; Sans");
}

TEST_F(PropertySetTest, LooselyTypedValuesAsJsonGivesThem) {
    EXPECT_TRUE(props.set(at("updateTimes"), 3.0).ok());  // a whole double for an integer
    EXPECT_EQ(kind.updateTimes, 3);                       // a member of the base class
    EXPECT_EQ(props.set(at("updateTimes"), 3.5).code, 61453);
    EXPECT_EQ(props.set(at("updateTimes"), 1e300).code, 61453);
    EXPECT_FALSE(props.set(at("updateTimes"), true).ok());
    EXPECT_TRUE(props.set(at("span"), std::int64_t{90}).ok());  // an integer for a number
    EXPECT_EQ(kind.span, 90.0);
    EXPECT_TRUE(props.set(at("scaling"), std::int64_t{1}).ok());
    EXPECT_EQ(kind.scaling, 1);
    EXPECT_FALSE(props.set(at("scaling"), std::int64_t{2}).ok());
    EXPECT_TRUE(props.set(at("updateTimes"), std::string("42")).ok());  // text for anything
    EXPECT_EQ(kind.updateTimes, 42);
    EXPECT_FALSE(props.set(at("description"), std::int64_t{5}).ok());
}

TEST_F(PropertySetTest, ValuesListsEveryFieldInTableOrder) {
    const auto all = props.values();
    ASSERT_EQ(all.size(), props.size());
    EXPECT_EQ(all[0].first, "tag");
    EXPECT_EQ(all[0].second, PropertyValue(std::string("AI1")));
    EXPECT_EQ(all.back().first, "fileName");
}

TEST_F(PropertySetTest, ReadOnlyFieldsRefuseWrites) {
    const Status s = props.setText(at("tag"), "X1");
    EXPECT_EQ(s.code, 32874);
    EXPECT_EQ(s.context, "Invalid parameter(s) : Tag, the setting cannot be changed");
    EXPECT_EQ(kind.name, "AI1");
}

TEST_F(PropertySetTest, EnabledFollowsOtherSettings) {
    EXPECT_FALSE(props.enabled(at("n1")));
    EXPECT_TRUE(props.enabled(at("gain")));
    kind.scaling = 1;
    EXPECT_TRUE(props.enabled(at("n1")));
}

TEST_F(PropertySetTest, SetterRefusalLeavesTheObjectAlone) {
    const Status s = props.setText(at("name"), "");
    EXPECT_EQ(s.code, 32869);
    EXPECT_EQ(kind.name, "AI1");
    EXPECT_EQ(kind.renames, 0);
    EXPECT_TRUE(props.setText(at("name"), "AI7").ok());
    EXPECT_EQ(kind.renames, 1);
    EXPECT_FALSE(props.setText(at("name"), "ABCDEFGHIJ").ok());  // ten characters
}

TEST_F(PropertySetTest, ApplyIsAllOrNothing) {
    const std::vector<PropertySet::Change> changes{
        {at("description"), std::string("Pump")}, {at("span"), std::string("400")},  // refused
    };
    EXPECT_EQ(props.apply(changes).code, 61453);
    EXPECT_EQ(kind.description, "AI1");
}

TEST_F(PropertySetTest, FailedCrossCheckPutsEverythingBack) {
    kind.firstChannel = 2;
    kind.lastChannel = 4;
    const std::vector<PropertySet::Change> changes{
        {at("fromChannel"), std::int64_t{9}},  // moves the last channel as well
        {at("n1"), 50.0},                      // above m1: the check refuses
    };
    const Status s = props.apply(changes);
    EXPECT_EQ(s.code, 32963);
    EXPECT_EQ(kind.firstChannel, 2);
    EXPECT_EQ(kind.lastChannel, 4);
    EXPECT_EQ(kind.inMin, 0.0f);
    // A single set does not run the cross checks; check() does.
    EXPECT_TRUE(props.set(at("n1"), 50.0).ok());
    EXPECT_EQ(props.check().code, 32963);
}

TEST_F(PropertySetTest, RestoreKeepsValuesOutsideTodaysLimits) {
    kind.ticks = 40;  // as a file might hold it
    const std::vector<PropertySet::Change> changes{{at("n1"), 50.0}};
    EXPECT_FALSE(props.apply(changes).ok());
    EXPECT_EQ(kind.ticks, 40);
}

TEST_F(PropertySetTest, ApplyNamedForTheStrategyTool) {
    const std::vector<PropertySet::NamedChange> good{{"description", std::string("Tank")},
                                                     {"orientation", std::string("Right")},
                                                     {"colour", std::string("#000080")}};
    ASSERT_TRUE(props.applyNamed(good).ok());
    EXPECT_EQ(kind.description, "Tank");
    EXPECT_EQ(kind.orientation, Orientation::Right);
    EXPECT_EQ(kind.colour, rgb(0, 0, 0x80));

    const std::vector<PropertySet::NamedChange> bad{{"description", std::string("X")}, {"colour2", 1.0}};
    const Status s = props.applyNamed(bad);
    EXPECT_EQ(s.code, 32874);
    EXPECT_EQ(s.context, "Invalid parameter(s) : there is no setting named \"colour2\"");
    EXPECT_EQ(kind.description, "Tank");
}

TEST_F(PropertySetTest, OutOfRangeIndexIsRefused) {
    EXPECT_EQ(props.set(props.size(), std::int64_t{1}).code, 32874);
}

TEST_F(PropertySetTest, ResetToDefaults) {
    kind.updateTimes = 9;
    kind.gain = 3.0f;
    kind.orientation = Orientation::Left;
    kind.description = "Kept";
    ASSERT_TRUE(props.resetToDefaults().ok());
    EXPECT_EQ(kind.updateTimes, 1);
    EXPECT_EQ(kind.gain, 1.0f);
    EXPECT_EQ(kind.orientation, Orientation::Up);
    EXPECT_EQ(kind.description, "Kept");  // no default given
}

}  // namespace
}  // namespace kestrune
