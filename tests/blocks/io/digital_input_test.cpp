// The digital input block: splitting the port into channel values, the
// 17-element tag, port and device failures, OPC items and bad quality, the
// divisor and the port list.

#include <gtest/gtest.h>

#include "blocks/io/digital_input_block.h"
#include "components/driver/driver_codes.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class DigitalInputTest : public IoBlockTest {
  protected:
    DigitalInputTest() : di(add<DigitalInputBlock>(kDigitalInputKind)) {}

    // Port 1 of device 0 is an input port whose pins read 0xA5.
    void useDevice(std::uint16_t port = 1) {
        IoSource s;
        s.deviceNumber = 0;
        di.setSource(s);
        di.setPort(port);
    }
    void useItem(std::string_view id) {
        IoSource s;
        s.kind = IoSourceKind::Opc;
        s.opcItem = simItem(id);
        di.setSource(s);
    }
    std::vector<std::int32_t> outputs() const {
        std::vector<std::int32_t> v;
        for (std::size_t k = 0; k < di.outputCount(); ++k) v.push_back(di.outputValue(k)->toInteger());
        return v;
    }

    DigitalInputBlock& di;
};

const std::vector<std::int32_t> kA5Outputs = {165, 1, 0, 4, 0, 0, 32, 0, 128, 0, 0, 0, 0, 0, 0, 0, 0};

TEST_F(DigitalInputTest, APortReading0xA5GivesTheChannelsBitValues) {
    useDevice();
    ASSERT_EQ(di.Start(), kOk);
    // The start reads the port once already.
    EXPECT_EQ(outputs(), kA5Outputs);
    ASSERT_EQ(di.Scan(), kOk);
    EXPECT_EQ(outputs(), kA5Outputs);
    EXPECT_EQ(di.value(), 0xA5);
    EXPECT_EQ(tags.GetTagType("TASK1", "DI1"), kTagInt32Array);
    for (std::uint16_t e = 0; e < 17; ++e) EXPECT_EQ(tagInteger("DI1", e), kA5Outputs[e]) << e;
}

TEST_F(DigitalInputTest, OnlyTheLowByteOfTheReadCounts) {
    useDevice(0);  // an output port reads back its latch
    setPortValue(0, 0x3C);
    ASSERT_EQ(di.Start(), kOk);
    ASSERT_EQ(di.Scan(), kOk);
    EXPECT_EQ(di.value(), 0x3C);
    EXPECT_EQ(di.outputValue(3)->toInteger(), 4);
    EXPECT_EQ(di.outputValue(4)->toInteger(), 8);
}

TEST_F(DigitalInputTest, APortTheDeviceLacksStartsAtZeroAndFailsEachScan) {
    useDevice(5);
    ASSERT_EQ(di.Start(), kOk);
    EXPECT_EQ(di.value(), 0);
    EXPECT_EQ(di.Scan(), static_cast<Code>(DriverError::InvalidPort));
}

TEST_F(DigitalInputTest, ADeviceWithoutDigitalInputsFailsWith308) {
    addDevices("[device 6]\ntype = board\nai.count = 1\n");
    IoSource s;
    s.deviceNumber = 6;
    di.setSource(s);
    EXPECT_EQ(di.Start(), 308);
    EXPECT_EQ(runErrors.texts.size(), 1u);
}

TEST_F(DigitalInputTest, UpdateTimesSkipsScansBetween) {
    useDevice(0);
    di.setUpdateTimes(2);
    ASSERT_EQ(di.Start(), kOk);
    setPortValue(0, 1);
    ASSERT_EQ(di.Scan(), kOk);  // acts
    setPortValue(0, 2);
    ASSERT_EQ(di.Scan(), kOk);  // skipped
    EXPECT_EQ(di.value(), 1);
    ASSERT_EQ(di.Scan(), kOk);  // acts
    EXPECT_EQ(di.value(), 2);
}

TEST_F(DigitalInputTest, AnItemIsTakenAsAnInteger) {
    const OpcTaskHandle task = opcTask();
    ASSERT_EQ(opc.server().write("Memory.Float1", 0x1234 + 0.75f), kOk);
    useItem("Memory.Float1");
    ASSERT_EQ(di.Start(), kOk);
    EXPECT_EQ(di.value(), 0x1234);
    ASSERT_EQ(opc.server().write("Memory.Float1", 0x8001), kOk);
    ASSERT_EQ(opc.taskRead(task), kOk);
    ASSERT_EQ(di.Scan(), kOk);
    EXPECT_EQ(di.value(), 0x8001);
    EXPECT_EQ(di.outputValue(1)->toInteger(), 1);
    EXPECT_EQ(di.outputValue(16)->toInteger(), 0x8000);
}

TEST_F(DigitalInputTest, BadQualityReportsRunError15) {
    const OpcTaskHandle task = opcTask();
    useItem("Signals.BadQuality");
    ASSERT_EQ(di.Start(), kOk);
    ASSERT_EQ(opc.taskRead(task), kOk);
    EXPECT_EQ(di.Scan(), kOk);
    const auto messages = drainMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, kMsgRunErrorReport);
    EXPECT_EQ(messages[0].wParam, 15u);
    EXPECT_EQ(paramAs<Node>(messages[0].lParam), &di);
}

TEST_F(DigitalInputTest, DrawingAWireShowsAllChannelsThenEachChannel) {
    ui.choose(0);
    ConnectRequest request;
    EXPECT_EQ(di.ConnectFrom(request), kConnectAccepted);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 1u);
    const auto& items = shown[0].items;
    ASSERT_EQ(items.size(), 17u);
    EXPECT_EQ(items[0], "All Channels");
    EXPECT_EQ(items[1], "Channel 0");
    EXPECT_EQ(items[16], "Channel 15");
    EXPECT_EQ(request.dataType, kTypeInteger);
}

TEST_F(DigitalInputTest, SettingsTableAndCheck) {
    EXPECT_TRUE(DigitalInputBlock::propertyTable().selfCheck().ok());
    PropertySet set = di.properties();
    EXPECT_EQ(set.check().context, "No device/item selected.");
    ASSERT_TRUE(
        set.applyNamed({{{"opc", true}, {"opcItem", std::string("Memory.Int1")}, {"port", std::int64_t{3}}}})
            .ok());
    EXPECT_TRUE(di.source().usesOpc());
    EXPECT_EQ(di.port(), 3);
    EXPECT_FALSE(set.applyNamed({{{"port", std::int64_t{16}}}}).ok());
    EXPECT_EQ(di.Validate(), 32864);  // no server or item id yet
}

}  // namespace
}  // namespace kestrune::io_test
