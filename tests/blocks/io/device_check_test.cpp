// The device check of the I/O dialogs: the lists they fill from a device,
// the controls they enable, the "Reset block setting?" question and Se&lect.

#include <gtest/gtest.h>

#include "blocks/io/analog_input_block.h"
#include "blocks/io/digital_input_block.h"
#include "blocks/io/digital_output_block.h"
#include "components/driver/driver_codes.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

class DeviceCheckTest : public IoBlockTest {
  protected:
    DeviceCheckTest() {
        addDevices(
            "[device 7]\ntype = board\ndescription = Check board\nai.count = 6\nai.cjc = 1\n"
            "exp.2 = board=261 channels=4 ids=2\nexp.3 = board=259 channels=8\n"
            "dio.ports = 3\ndio.0 = input\ndio.1 = output\ndio.2 = bidirectional\nao.count = 2\n"
            "[device 8]\ntype = board\ndescription = Outputs only\nao.count = 1\n");
    }
    template <class K>
    K& blockOn(std::int16_t kind, std::int32_t device) {
        K& block = add<K>(kind);
        IoSource s;
        s.deviceNumber = device;
        block.setSource(s);
        return block;
    }
};

TEST_F(DeviceCheckTest, TheAnalogInputChannelListNamesCjcAndExpansionChannels) {
    const DeviceCheck check = checkDevice(driver, 7, 0);
    ASSERT_EQ(check.code, kOk);
    EXPECT_EQ(check.description, "Check board");
    EXPECT_EQ(aiChannelCount(check), 6u);
    std::string mux;
    std::string tc;
    driver.boardTypeMapBoardName(261, mux);
    driver.boardTypeMapBoardName(259, tc);
    EXPECT_EQ(
        aiChannelList(driver, check),
        (std::vector<std::string>{"0", "1 (CJC Channel)", "2 (" + mux + ")", "3 (" + tc + ")", "4", "5"}));

    const AiChannelControls plain = aiChannelControls(check, 0);
    EXPECT_TRUE(plain.range);
    EXPECT_FALSE(plain.expChannel);
    EXPECT_FALSE(plain.boardId);
    EXPECT_FALSE(aiChannelControls(check, 1).range);  // the cold junction
    const AiChannelControls multiplexer = aiChannelControls(check, 2);
    EXPECT_TRUE(multiplexer.range);
    EXPECT_TRUE(multiplexer.expChannel);
    EXPECT_TRUE(multiplexer.boardId);
    const AiChannelControls thermocouple = aiChannelControls(check, 3);
    EXPECT_TRUE(thermocouple.range);
    EXPECT_FALSE(thermocouple.expChannel);
    EXPECT_FALSE(thermocouple.boardId);
    // Channel 18 uses entry 2.
    EXPECT_TRUE(aiChannelControls(check, 18).boardId);
}

TEST_F(DeviceCheckTest, PortListsFollowThePortDirections) {
    const DeviceCheck check = checkDevice(driver, 7, 0);
    EXPECT_EQ(digitalInputPorts(check), (std::vector<std::uint16_t>{0, 2}));
    EXPECT_EQ(digitalOutputPorts(check), (std::vector<std::uint16_t>{1, 2}));
    EXPECT_EQ(offeredPort(digitalInputPorts(check), 2), 2);
    EXPECT_EQ(offeredPort(digitalInputPorts(check), 1), 0);  // not offered: the first entry
    EXPECT_EQ(offeredPort({}, 1), std::nullopt);
    EXPECT_EQ(analogOutputChannels(check), (std::vector<std::uint16_t>{0, 1}));
    EXPECT_TRUE(digitalInputPorts(checkDevice(driver, 8, 0)).empty());
}

TEST_F(DeviceCheckTest, AMissingDeviceOffersToResetTheBlock) {
    auto& ai = blockOn<AnalogInputBlock>(kAnalogInputKind, 42);
    ui.answer(Answer::No);
    DeviceCheck check = ai.CheckDevice(true);
    EXPECT_EQ(check.code, driverCode(DriverError::DeviceNotFound));
    EXPECT_EQ(ai.source().deviceNumber, 42);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, driverErrorText(check.code) + "\nReset block setting?");
    EXPECT_EQ(ui.shown()[0].caption, "Kestrune Message");

    ui.answer(Answer::Yes);
    ai.CheckDevice(false);
    EXPECT_EQ(ai.source().deviceNumber, IoSource::kNoDevice);
    EXPECT_EQ(ai.source().deviceKind, 0);
}

TEST_F(DeviceCheckTest, ADeviceWithoutTheKindsChannelsIsQuestionedOnlyAsTheDialogOpens) {
    auto& di = blockOn<DigitalInputBlock>(kDigitalInputKind, 8);
    ui.answer(Answer::Yes);
    EXPECT_EQ(di.CheckDevice(true).code, kOk);
    EXPECT_EQ(di.source().deviceNumber, IoSource::kNoDevice);
    std::string text;
    driver.getErrorMessage(8, 0, 308, text);
    EXPECT_EQ(ui.shown().back().text, text + "\nReset block setting?");

    auto& dout = blockOn<DigitalOutputBlock>(kDigitalOutputKind, 8);
    EXPECT_EQ(dout.CheckDevice(false).code, kOk);
    EXPECT_EQ(dout.source().deviceNumber, 8);
    EXPECT_EQ(ui.shown().size(), 1u);
}

TEST_F(DeviceCheckTest, SelectTakesTheChosenDeviceOrItem) {
    auto& ai = add<AnalogInputBlock>(kAnalogInputKind);
    const auto devices = driver.deviceList();
    const auto seven =
        std::find_if(devices.begin(), devices.end(), [](const DeviceInfo& d) { return d.number == 7; });
    ASSERT_NE(seven, devices.end());
    ui.choose(static_cast<int>(seven - devices.begin()));
    EXPECT_TRUE(ai.SelectSource());
    EXPECT_EQ(ai.source().deviceNumber, 7);

    ui.choose(std::nullopt);
    EXPECT_FALSE(ai.SelectSource());
    EXPECT_EQ(ai.source().deviceNumber, 7);
}

}  // namespace
}  // namespace kestrune::io_test
