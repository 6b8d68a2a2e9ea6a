// The analog output block: writes only on change, the three initial value
// modes, the DDE link as the value source, OPC items, start and scan
// failures, the display item registration and the settings table.

#include <gtest/gtest.h>

#include "blocks/io/analog_output_block.h"
#include "components/driver/driver_codes.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class AnalogOutputTest : public IoBlockTest {
  protected:
    AnalogOutputTest() : ao(add<AnalogOutputBlock>(kAnalogOutputKind)) {}

    void useDevice(std::uint16_t channel = 0) {
        IoSource s;
        s.deviceNumber = 0;
        ao.setSource(s);
        ao.setChannel(channel);
    }
    void useItem(std::string_view id) {
        IoSource s;
        s.kind = IoSourceKind::Opc;
        s.opcItem = simItem(id);
        ao.setSource(s);
    }
    float itemValue(std::string_view id) {
        Variant v;
        std::uint16_t quality = 0;
        EXPECT_EQ(opc.server().read(id, v, quality), kOk);
        return v.toFloat();
    }

    AnalogOutputBlock& ao;
};

TEST_F(AnalogOutputTest, AnInputThatKeepsItsValueWritesTheDeviceOnce) {
    SourceBlock& in = addSource();
    wire(in, ao);
    useDevice(1);
    ASSERT_EQ(ao.Start(), kOk);
    in.set(3.0f);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(1), 3.0f);
    EXPECT_FLOAT_EQ(ao.outputValue(0)->toFloat(), 3.0f);
    EXPECT_FLOAT_EQ(tagFloat("AO1"), 3.0f);

    // Someone else drives the channel; the same input writes nothing.
    setAo(1, 7.0f);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(1), 7.0f);
    EXPECT_FLOAT_EQ(ao.outputValue(0)->toFloat(), 3.0f);

    in.set(4.0f);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(1), 4.0f);
    EXPECT_EQ(ao.lastWritten(), 4.0);
}

TEST_F(AnalogOutputTest, InitialValueIsWrittenAtStart) {
    useDevice(0);
    ao.setInitialMode(InitialValueMode::Value);
    ao.setInitialValue(2.5f);
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 2.5f);
    EXPECT_FLOAT_EQ(tagFloat("AO1"), 2.5f);
    EXPECT_EQ(ao.lastWritten(), 2.5);
}

TEST_F(AnalogOutputTest, RestoreModeHoldsTheTagAndStartsFromItsValue) {
    useDevice(0);
    ao.setInitialMode(InitialValueMode::Restore);
    DB_PARAM p = DB_PARAM::Float(6.0f);
    ASSERT_EQ(tags.SetData("TASK1", "AO1", &p), kOk);
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_TRUE(tags.IsTagHeld("TASK1", "AO1"));
    EXPECT_FLOAT_EQ(aoValue(0), 6.0f);
    EXPECT_FLOAT_EQ(ao.outputValue(0)->toFloat(), 6.0f);
}

TEST_F(AnalogOutputTest, WithoutAnInitialValueTheFirstValueIsWrittenWhateverItIs) {
    useDevice(0);
    setAo(0, 5.0f);  // left by an earlier run
    SourceBlock& in = addSource();
    wire(in, ao);
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 5.0f);  // nothing written at start
    EXPECT_FALSE(ao.lastWritten().has_value());
    in.set(0.0f);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 0.0f);
}

TEST_F(AnalogOutputTest, WithoutAnInitialValueAnItemIsReadAndTaken) {
    ASSERT_EQ(opc.server().write("Memory.Float1", 1.5f), kOk);
    useItem("Memory.Float1");
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_FLOAT_EQ(ao.outputValue(0)->toFloat(), 1.5f);
    EXPECT_EQ(ao.lastWritten(), 1.5);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("AO1"), 1.5f);
}

TEST_F(AnalogOutputTest, AnItemIsWrittenAsAFloat) {
    SourceBlock& in = addSource(kTypeInteger);
    wire(in, ao);
    useItem("Memory.Float2");
    ASSERT_EQ(ao.Start(), kOk);
    in.setInteger(3);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(itemValue("Memory.Float2"), 3.0f);
}

TEST_F(AnalogOutputTest, WithNeitherInputNorLinkNothingIsWrittenButTheValueIsPublished) {
    useDevice(0);
    ao.setInitialMode(InitialValueMode::Value);
    ao.setInitialValue(1.0f);
    ASSERT_EQ(ao.Start(), kOk);
    setAo(0, 7.0f);
    DB_PARAM p = DB_PARAM::Float(-1.0f);
    ASSERT_EQ(tags.SetData("TASK1", "AO1", &p), kOk);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 7.0f);
    EXPECT_FLOAT_EQ(tagFloat("AO1"), 1.0f);
}

TEST_F(AnalogOutputTest, AnUnwiredInputTakesTheDdeLinksText) {
    useDevice(0);
    ao.ddeInput().setEnabled(true);
    ao.ddeInput().setNames({"EXCEL", "Sheet1", "R1C1"});
    FakeLink& link = dde.links["EXCEL|Sheet1!R1C1"];
    link.value = "4.75 V";
    ASSERT_EQ(ao.Start(), kOk);
    ASSERT_EQ(dde.subscriptions.size(), 1u);
    EXPECT_EQ(dde.subscribedTypes[0], kDdeTypeFloat);
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 4.75f);

    // A link that went away leaves the value as it was.
    link.open = false;
    link.value = "9";
    ASSERT_EQ(ao.Scan(), kOk);
    EXPECT_FLOAT_EQ(aoValue(0), 4.75f);
    ao.Stop();
    EXPECT_FALSE(ao.ddeInput().connected());
}

TEST_F(AnalogOutputTest, AWiredInputDoesNotSubscribe) {
    SourceBlock& in = addSource();
    wire(in, ao);
    useDevice(0);
    ao.ddeInput().setEnabled(true);
    ao.ddeInput().setNames({"EXCEL", "Sheet1", "R1C1"});
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_TRUE(dde.subscriptions.empty());
}

TEST_F(AnalogOutputTest, PastingALinkTakesNamesThatFit) {
    std::string data("EXCEL\0Sheet1\0R1C1\0\0", 19);
    EXPECT_TRUE(ao.PasteDdeLink(data));
    EXPECT_TRUE(ao.ddeInput().enabled());
    EXPECT_EQ(ao.ddeInput().names(), (DdeLinkNames{"EXCEL", "Sheet1", "R1C1"}));

    ao.ddeInput().setEnabled(false);
    const std::string longItem = "EXCEL" + std::string(1, '\0') + "Sheet1" + std::string(1, '\0') +
                                 std::string(30, 'x') + std::string(2, '\0');
    EXPECT_FALSE(ao.PasteDdeLink(longItem));
    EXPECT_FALSE(ao.ddeInput().enabled());
    EXPECT_EQ(ao.ddeInput().names().item, "R1C1");
    EXPECT_FALSE(ao.PasteDdeLink(std::string("EXCEL\0Sheet1", 12)));
}

TEST_F(AnalogOutputTest, ADeviceWithoutAnalogOutputsFailsWith307) {
    addDevices("[device 6]\ntype = board\nai.count = 1\n");
    IoSource s;
    s.deviceNumber = 6;
    ao.setSource(s);
    EXPECT_EQ(ao.Start(), 307);
    ASSERT_EQ(runErrors.texts.size(), 1u);
    EXPECT_NE(runErrors.texts[0].find(" : TASK1, AO1"), std::string::npos);
}

TEST_F(AnalogOutputTest, AChannelTheBoardLacksFailsTheWriteNotTheStart) {
    SourceBlock& in = addSource();
    wire(in, ao);
    in.set(2.0f);
    useDevice(5);
    ao.setInitialMode(InitialValueMode::Value);
    ao.setInitialValue(1.0f);
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_EQ(ao.Scan(), static_cast<Code>(DriverError::InvalidChannel));
    // Tried again on the next scan.
    EXPECT_EQ(ao.Scan(), static_cast<Code>(DriverError::InvalidChannel));
}

TEST_F(AnalogOutputTest, AWireFromABoundTagBlockRegistersBothWithTheItemForTheRun) {
    auto owned = std::make_unique<FakeDisplayItem>(context);
    FakeDisplayItem& item = *owned;
    ASSERT_EQ(graph.Append(std::move(owned)), kOk);
    SourceBlock& tag = addSource();
    tag.item = &item;
    item.AddConsumer(tag.id());  // the tag block registered itself earlier
    wire(tag, ao);
    useDevice(0);
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_EQ(item.consumers(), (std::vector<std::uint32_t>{tag.id(), ao.id()}));
    ao.Stop();
    EXPECT_EQ(item.consumers(), (std::vector<std::uint32_t>{tag.id()}));

    // A source that is not a tag block, or a tag block bound to no item, registers nothing.
    tag.item = nullptr;
    ASSERT_EQ(ao.Start(), kOk);
    EXPECT_EQ(item.consumers().size(), 1u);
}

TEST_F(AnalogOutputTest, SettingsTableHoldsTheDialogsFields) {
    EXPECT_TRUE(AnalogOutputBlock::propertyTable().selfCheck().ok());
    PropertySet set = ao.properties();
    ASSERT_TRUE(set.applyNamed({{{"device", std::string("0:0")},
                                 {"channel", std::int64_t{1}},
                                 {"ddeLinkText", std::string("EXCEL|Sheet1!R1C1")},
                                 {"initialMode", std::int64_t{1}},
                                 {"initialValue", 2.5}}})
                    .ok());
    EXPECT_EQ(ao.channel(), 1);
    EXPECT_EQ(ao.ddeInput().names(), (DdeLinkNames{"EXCEL", "Sheet1", "R1C1"}));
    EXPECT_EQ(set.text(*set.indexOf("ddeLinkText")), "EXCEL|Sheet1!R1C1");
    EXPECT_EQ(ao.initialMode(), InitialValueMode::Value);
    EXPECT_FLOAT_EQ(ao.initialValue(), 2.5f);
    EXPECT_TRUE(set.enabled(*set.indexOf("initialValue")));
    EXPECT_FALSE(set.applyNamed({{{"ddeLinkText", std::string("no link")}}}).ok());
    ASSERT_TRUE(set.applyNamed({{{"ddeLinkText", std::string()}, {"initialMode", std::int64_t{2}}}}).ok());
    EXPECT_TRUE(ao.ddeInput().names().empty());
    EXPECT_FALSE(set.enabled(*set.indexOf("initialValue")));
    EXPECT_EQ(set.field(*set.indexOf("initialMode")).choices.at(2).label, "Restore the previous stop value");
}

TEST_F(AnalogOutputTest, CopyTakesEverySetting) {
    useDevice(1);
    ao.setInitialMode(InitialValueMode::Value);
    ao.setInitialValue(3.5f);
    ao.ddeInput().setEnabled(true);
    ao.ddeInput().setNames({"A", "B", "C"});
    ao.setUpdateTimes(4);
    AnalogOutputBlock& copy = add<AnalogOutputBlock>(kAnalogOutputKind);
    ao.CopyTo(copy);
    EXPECT_EQ(copy.channel(), 1);
    EXPECT_EQ(copy.source(), ao.source());
    EXPECT_EQ(copy.initialMode(), InitialValueMode::Value);
    EXPECT_FLOAT_EQ(copy.initialValue(), 3.5f);
    EXPECT_TRUE(copy.ddeInput().enabled());
    EXPECT_EQ(copy.ddeInput().names(), ao.ddeInput().names());
    EXPECT_EQ(copy.updateTimes(), 4);
}

}  // namespace
}  // namespace kestrune::io_test
