// The analog input block on the simulated board and OPC server: channel
// ranges and gains, scaling, the update-times divisor, expansion boards,
// device and item failures at start and scan, bad OPC quality, validation and
// the port list.

#include <gtest/gtest.h>

#include "blocks/io/analog_input_block.h"
#include "components/driver/driver_codes.h"
#include "components/opc/opc_codes.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class AnalogInputTest : public IoBlockTest {
  protected:
    AnalogInputTest() : ai(add<AnalogInputBlock>(kAnalogInputKind)) {}

    // Device 0 of the default list: channel 3 ramps 0..10 V over 20 s,
    // channel 6 is a constant 2.5 V.
    void useDevice(std::uint16_t first, std::uint16_t last) {
        IoSource s;
        s.deviceNumber = 0;
        ai.setSource(s);
        ai.setFirstChannel(first);
        ai.setLastChannel(last);
    }
    void useItem(std::string_view id) {
        IoSource s;
        s.kind = IoSourceKind::Opc;
        s.opcItem = simItem(id);
        ai.setSource(s);
    }
    void setRange(std::size_t channel, std::uint16_t range) {
        AiChannelSetting s = ai.channelSetting(channel);
        s.range = range;
        ai.setChannelSetting(channel, s);
    }
    float out(std::size_t k) const { return ai.outputValue(k)->toFloat(); }

    AnalogInputBlock& ai;
};

TEST_F(AnalogInputTest, OutputsCarryAbsoluteChannelsAndTheRestStayZero) {
    useDevice(5, 6);
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_FALSE(ai.reader().byExpansion());
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 2.5f);
    EXPECT_GE(out(5), -1.0f);
    EXPECT_LE(out(5), 1.0f);
    for (std::size_t k : {0u, 1u, 2u, 3u, 4u, 7u, 31u}) EXPECT_EQ(out(k), 0.0f) << k;
    // The tag is the whole 32-element array.
    EXPECT_EQ(tags.GetTagType("TASK1", "AI1"), kTagFloatArray);
    EXPECT_FLOAT_EQ(tagFloat("AI1", 6), 2.5f);
    EXPECT_FLOAT_EQ(tagFloat("AI1", 31), 0.0f);
    EXPECT_EQ(ai.Stop(), kOk);
    EXPECT_EQ(ai.deviceHandle(), 0u);
}

TEST_F(AnalogInputTest, TheChannelsRangeLimitsItsReading) {
    useDevice(6, 6);
    setRange(6, 3);  // +/- 1.25 V
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_EQ(ai.reader().gainCodes()[6], 3);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 1.25f);
}

TEST_F(AnalogInputTest, ScalingAppliesToTheRangeOnlyAndIsLimited) {
    useDevice(6, 6);
    ai.setScaling({1, 5.0f, 0.0f, 100.0f, 0.0f});  // 0..5 V -> 0..100
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 50.0f);
    EXPECT_EQ(out(5), 0.0f);
    ai.Stop();

    ai.setScaling({1, 2.0f, 0.0f, 10.0f, 0.0f});  // 2.5 V is above m1: limited to m2
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 10.0f);
    ai.Stop();

    ai.setScaling({1, 5.0f, 3.0f, 10.0f, 0.0f});  // below n1: limited to n2
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 0.0f);
}

TEST_F(AnalogInputTest, ScalingWithAZeroWidthInputSpanIsSkipped) {
    useDevice(6, 6);
    ai.setScaling({1, 4.0f, 4.0f, 100.0f, 0.0f});
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(6), 2.5f);
}

TEST_F(AnalogInputTest, UpdateTimesThreeActsOnScansOneFourSeven) {
    useDevice(3, 3);
    ai.setUpdateTimes(3);
    ASSERT_EQ(ai.Start(), kOk);
    std::vector<float> seen;
    for (int scan = 1; scan <= 7; ++scan) {
        clock->advanceSeconds(1.0);  // the ramp rises 0.5 V a second
        ASSERT_EQ(ai.Scan(), kOk);
        seen.push_back(out(3));
    }
    EXPECT_EQ(seen, (std::vector<float>{0.5f, 0.5f, 0.5f, 2.0f, 2.0f, 2.0f, 3.5f}));
    // A new run starts counting again: its first scan acts.
    ai.Stop();
    ASSERT_EQ(ai.Start(), kOk);
    clock->advanceSeconds(1.0);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(3), 4.0f);
}

TEST_F(AnalogInputTest, ARangeIndexBeyondTheGainListFailsTheStart) {
    useDevice(6, 6);
    setRange(6, 9);
    const Code invalidGain = driverCode(DriverError::InvalidGain);
    EXPECT_EQ(ai.Start(), invalidGain);
    EXPECT_FALSE(ai.isRunning());
    EXPECT_EQ(ai.deviceHandle(), 0u);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, driverErrorText(invalidGain) + " : TASK1, AI1");
    EXPECT_EQ(ai.Scan(), kOk);
}

TEST_F(AnalogInputTest, ADeviceMissingFromTheListFailsWithTheDriversBox) {
    IoSource s;
    s.deviceNumber = 7;
    ai.setSource(s);
    const Code notFound = driverCode(DriverError::DeviceNotFound);
    EXPECT_EQ(ai.Start(), notFound);
    EXPECT_FALSE(ai.isRunning());
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].caption, "Device Driver");
    EXPECT_EQ(ui.shown()[0].text, driverErrorText(notFound) + " : TASK1, AI1");
    EXPECT_TRUE(runErrors.texts.empty());
}

TEST_F(AnalogInputTest, ADeviceWithoutAnalogInputsIsReportedWith306) {
    addDevices("[device 6]\ntype = board\ndescription = Output only\nao.count = 1\n");
    IoSource s;
    s.deviceNumber = 6;
    ai.setSource(s);
    EXPECT_EQ(ai.Start(), 306);
    EXPECT_EQ(ai.deviceHandle(), 0u);
    std::string text;
    driver.getErrorMessage(6, 0, 306, text);
    ASSERT_EQ(runErrors.texts.size(), 1u);
    EXPECT_EQ(runErrors.texts[0], text + " : TASK1, AI1");
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(AnalogInputTest, WithoutADriverTheStartFailsClearly) {
    services.driver = nullptr;
    useDevice(0, 0);
    EXPECT_EQ(ai.Start(), noDriverCode());
    ASSERT_EQ(runErrors.texts.size(), 1u);
    EXPECT_NE(runErrors.texts[0].find(" : TASK1, AI1"), std::string::npos);
}

TEST_F(AnalogInputTest, AFailingReadHandsOnTheLowBitsAndKeepsTheTag) {
    addDevices(
        "[device 5]\ntype = board\nai.count = 2\nai.0 = constant value=1.5\nai.1 = constant value=-0.5\n"
        "exp.0 = board=261 channels=4 ids=2\n");
    IoSource s;
    s.deviceNumber = 5;
    ai.setSource(s);
    ai.setLastChannel(1);
    ai.setChannelSetting(0, {3, 0, 1});  // expansion channel 3 on board 1
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_TRUE(ai.reader().byExpansion());
    EXPECT_EQ(ai.reader().muxCodes()[0], 0x13);
    EXPECT_EQ(ai.reader().muxCodes()[1], 0);  // no board on entry 1: the expansion channel alone
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(0), 1.5f);
    EXPECT_FLOAT_EQ(out(1), -0.5f);
    ai.Stop();

    ai.setChannelSetting(0, {3, 0, 2});  // board 2 is beyond the two the board has
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_EQ(ai.Scan(), static_cast<Code>(DriverError::InvalidExpansionChannel));
    EXPECT_FLOAT_EQ(out(0), 0.0f);
    EXPECT_FLOAT_EQ(tagFloat("AI1", 1), 0.0f);
}

TEST_F(AnalogInputTest, AnotherBoardTypeMultiplexesByTheExpansionChannelAlone) {
    addDevices(
        "[device 5]\ntype = board\nai.count = 1\nai.0 = constant value=1.5\n"
        "exp.0 = board=259 channels=8\n");
    IoSource s;
    s.deviceNumber = 5;
    ai.setSource(s);
    ai.setChannelSetting(0, {5, 0, 1});
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_EQ(ai.reader().muxCodes()[0], 5);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(0), 1.5f);
}

// ---- OPC ----

TEST_F(AnalogInputTest, OpcValuesConvertByTheirTypeOnOutputZero) {
    const OpcTaskHandle task = opcTask();
    struct Case {
        const char* item;
        Variant value;
        float expected;
    };
    const Case cases[] = {
        {"Memory.Double1", 1.25, 1.25f},
        {"Memory.Short1", std::int16_t{-3}, -3.0f},
        {"Memory.Word1", std::uint16_t{65535}, 65535.0f},
        {"Memory.DWord1", std::uint32_t{4000000000u}, 4e9f},
        {"Memory.Int1", std::int32_t{-70000}, -70000.0f},
        {"Memory.Float1", 0.5f, 0.5f},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(opc.server().write(c.item, c.value), kOk) << c.item;
        useItem(c.item);
        ASSERT_EQ(ai.Start(), kOk) << c.item;
        ASSERT_EQ(opc.taskRead(task), kOk);
        ASSERT_EQ(ai.Scan(), kOk);
        EXPECT_FLOAT_EQ(out(0), c.expected) << c.item;
        EXPECT_FLOAT_EQ(tagFloat("AI1", 0), c.expected) << c.item;
        ai.Stop();
    }
}

TEST_F(AnalogInputTest, OpcScalingAppliesToOutputZero) {
    const OpcTaskHandle task = opcTask();
    ASSERT_EQ(opc.server().write("Memory.Float1", 2.0f), kOk);
    useItem("Memory.Float1");
    ai.setScaling({1, 4.0f, 0.0f, 400.0f, 0.0f});
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(opc.taskRead(task), kOk);
    ASSERT_EQ(ai.Scan(), kOk);
    EXPECT_FLOAT_EQ(out(0), 200.0f);
}

TEST_F(AnalogInputTest, BadQualityReportsRunError15WithTheBlockAndKeepsScanning) {
    const OpcTaskHandle task = opcTask();
    useItem("Signals.BadQuality");
    ASSERT_EQ(ai.Start(), kOk);
    EXPECT_NE(ai.opcItemHandle(), 0u);
    ASSERT_EQ(opc.taskRead(task), kOk);
    EXPECT_EQ(ai.Scan(), kOk);
    const auto messages = drainMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, kMsgRunErrorReport);
    EXPECT_EQ(messages[0].wParam, 15u);
    EXPECT_EQ(paramAs<Node>(messages[0].lParam), &ai);
    // The report finds the item through the block.
    int good = 1;
    std::string text;
    EXPECT_EQ(opc.itemQualityCheck(ai.opcItemHandle(), good, &text), kOk);
    EXPECT_EQ(good, 0);

    // A good item posts nothing.
    ai.Stop();
    useItem("Signals.Constant");
    ASSERT_EQ(ai.Start(), kOk);
    ASSERT_EQ(opc.taskRead(task), kOk);
    EXPECT_EQ(ai.Scan(), kOk);
    EXPECT_TRUE(drainMessages().empty());
    EXPECT_FLOAT_EQ(out(0), 2.5f);
}

TEST_F(AnalogInputTest, AnUnknownItemFailsTheStartWithTheClientsText) {
    useItem("No.Such.Item");
    const Code notFound = opcCode(OpcError::ItemNotFound);
    EXPECT_EQ(ai.Start(), notFound);
    EXPECT_FALSE(ai.isRunning());
    EXPECT_EQ(ai.opcItemHandle(), 0u);
    std::string text;
    opc.getErrorMessage(notFound, text);
    ASSERT_EQ(runErrors.texts.size(), 1u);
    EXPECT_EQ(runErrors.texts[0], text + " : TASK1, AI1");
}

TEST_F(AnalogInputTest, WithoutAnOpcClientAnItemSourceFailsClearly) {
    services.opc = nullptr;
    useItem("Memory.Float1");
    EXPECT_EQ(ai.Start(), noOpcClientCode());
    EXPECT_EQ(runErrors.texts.size(), 1u);
}

// ---- check before a run, settings, port list ----

TEST_F(AnalogInputTest, WithoutADeviceTheCheckSaysDeviceUndefined) {
    EXPECT_EQ(ai.Validate(), 32864);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, "Device undefined in\nTASK1, AI1");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Warning);

    IoSource s;
    s.kind = IoSourceKind::Opc;
    s.opcItem.setText(3, "Memory.Float1");  // no server
    s.opcItem.setText(5, "Memory.Float1");
    ai.setSource(s);
    EXPECT_EQ(ai.Validate(), 32864);
    s.opcItem.setText(2, kSimOpcServerName);
    ai.setSource(s);
    EXPECT_EQ(ai.Validate(), kOk);
    useDevice(0, 0);
    EXPECT_EQ(ai.Validate(), kOk);
    EXPECT_EQ(ui.shown().size(), 2u);
}

TEST_F(AnalogInputTest, SettingsTableHoldsTheDialogsFieldsAndChecks) {
    EXPECT_TRUE(AnalogInputBlock::propertyTable().selfCheck().ok());
    PropertySet set = ai.properties();
    // OK without a device.
    Status check = set.check();
    EXPECT_EQ(check.code, 32864);
    EXPECT_EQ(check.context, "No device/item selected.");

    const std::vector<PropertySet::NamedChange> changes = {
        {"device", std::string("0:0")},
        {"firstChannel", std::int64_t{4}},
        {"lastChannel", std::int64_t{2}},
        {"range5", std::int64_t{2}},
        {"updateTimes", std::int64_t{25}},
        {"scaling", true},
        {"scaleMax", 100.0},
    };
    ASSERT_TRUE(set.applyNamed(changes).ok());
    EXPECT_EQ(ai.source().deviceNumber, 0);
    EXPECT_EQ(ai.firstChannel(), 4);
    EXPECT_EQ(ai.lastChannel(), 4);  // never below the first
    EXPECT_EQ(ai.channelSetting(5).range, 2);
    EXPECT_EQ(ai.updateTimes(), 25);
    EXPECT_FLOAT_EQ(ai.scaling().scaleMax, 100.0f);
    EXPECT_TRUE(set.enabled(*set.indexOf("range4")));
    EXPECT_FALSE(set.enabled(*set.indexOf("range5")));
    EXPECT_FALSE(set.enabled(*set.indexOf("opcServer")));
    EXPECT_FALSE(set.applyNamed({{{"updateTimes", std::int64_t{0}}}}).ok());
    EXPECT_FALSE(set.applyNamed({{{"device", std::string("zero")}}}).ok());
    EXPECT_EQ(set.field(*set.indexOf("opc")).label, "Connect to O&PC server");
}

TEST_F(AnalogInputTest, DrawingAWireShowsTheChannelList) {
    ui.choose(6);
    ConnectRequest request;
    EXPECT_EQ(ai.ConnectFrom(request), kConnectAccepted);
    EXPECT_EQ(request.sourceOutput, 6u);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].caption, "Channel List");
    ASSERT_EQ(ui.shown()[0].items.size(), 32u);
    EXPECT_EQ(ui.shown()[0].items[0], "Output 0");
    EXPECT_EQ(ui.shown()[0].items[31], "Output 31");
}

TEST_F(AnalogInputTest, CopyTakesEverySetting) {
    useDevice(2, 5);
    ai.setChannelSetting(3, {1, 2, 3});
    ai.setScaling({1, 1.0f, 2.0f, 3.0f, 4.0f});
    ai.setUpdateTimes(9);
    AnalogInputBlock& copy = add<AnalogInputBlock>(kAnalogInputKind);
    ai.CopyTo(copy);
    EXPECT_EQ(copy.source(), ai.source());
    EXPECT_EQ(copy.firstChannel(), 2);
    EXPECT_EQ(copy.lastChannel(), 5);
    EXPECT_EQ(copy.channelSetting(3), (AiChannelSetting{1, 2, 3}));
    EXPECT_EQ(copy.scaling(), ai.scaling());
    EXPECT_EQ(copy.updateTimes(), 9);
    EXPECT_EQ(copy.name(), "AI2");
}

}  // namespace
}  // namespace kestrune::io_test
