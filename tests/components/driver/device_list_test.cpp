#include "components/driver/device_list.h"

#include <gtest/gtest.h>

#include "components/driver/device_list_driver.h"
#include "components/driver/driver_codes.h"
#include "components/driver/sim_board.h"
#include "components/driver/sim_com_port.h"
#include "components/driver/standard_device_types.h"
#include "driver_test_support.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing::TempHome;

const DeviceTypes& types() {
    static const DeviceTypes standard = standardDeviceTypes(std::make_shared<ManualSimClock>());
    return standard;
}

Status parseDeviceList(std::string_view text, DeviceList& out) {
    return kestrune::parseDeviceList(text, types(), out);
}

const BoardSettings* boardAt(const DeviceList& list, std::int32_t number) {
    const auto* board = dynamic_cast<const SimBoard*>(list.find(number));
    return board == nullptr ? nullptr : &board->settings();
}

const ComPortSettings* comAt(const DeviceList& list, std::int32_t number) {
    const auto* com = dynamic_cast<const SimComPort*>(list.find(number));
    return com == nullptr ? nullptr : &com->settings();
}

// The error context of a list that must fail, e.g. "line 4: unknown key 'x'".
std::string failure(const std::string& text) {
    DeviceList list;
    const Status st = parseDeviceList(text, list);
    EXPECT_EQ(st.code, driverCode(DriverError::DeviceListInvalid)) << text;
    return st.context;
}

TEST(DeviceList, DefaultListDescribesTheBoardAndTheComPort) {
    DeviceList list;
    ASSERT_TRUE(parseDeviceList(defaultDeviceListText(), list).ok());
    ASSERT_EQ(list.devices.size(), 2u);
    const BoardSettings* board = boardAt(list, 0);
    ASSERT_NE(board, nullptr);
    ASSERT_EQ(board->ai.size(), 8u);
    EXPECT_EQ(board->ai[0].kind, SignalKind::Plant);
    EXPECT_EQ(board->ai[0].aoChannel, 0);
    EXPECT_EQ(board->ai[1].kind, SignalKind::Plant);
    EXPECT_EQ(board->ai[1].aoChannel, 1);
    EXPECT_EQ(board->ai[2].kind, SignalKind::Sine);
    EXPECT_EQ(board->ai[3].kind, SignalKind::Ramp);
    EXPECT_EQ(board->ai[4].kind, SignalKind::Square);
    EXPECT_EQ(board->ai[5].kind, SignalKind::Random);
    EXPECT_EQ(board->ai[6].kind, SignalKind::Constant);
    EXPECT_EQ(board->aoCount, 2);
    ASSERT_EQ(board->ports.size(), 2u);
    EXPECT_EQ(board->ports[1].pins, 0xA5);
    EXPECT_EQ(board->counters.size(), 2u);
    EXPECT_EQ(board->thermocouples.count(7), 1u);
    EXPECT_EQ(board->alarmCount, 2);
    ASSERT_NE(comAt(list, 1), nullptr);
    EXPECT_EQ(list.find(1)->description().substr(0, 3), "COM");
    EXPECT_EQ(list.find(2), nullptr);
}

TEST(DeviceList, ChannelLinesMayPrecedeTheirCountsAndCommentsAreSkipped) {
    DeviceList list;
    const Status st = parseDeviceList(
        "# comment\n; also a comment\n\n[device 3]\nai.1 = plant ao=0\nao.count = 1\nai.count = 2\n"
        "description = Rig with = sign\n",
        list);
    ASSERT_TRUE(st.ok()) << st.context;
    ASSERT_EQ(list.devices.size(), 1u);
    EXPECT_EQ(list.devices[0]->number(), 3);
    EXPECT_EQ(list.devices[0]->description(), "Rig with = sign");
    ASSERT_NE(boardAt(list, 3), nullptr);
    EXPECT_EQ(boardAt(list, 3)->ai[0].kind, SignalKind::Constant);
    EXPECT_EQ(boardAt(list, 3)->ai[1].kind, SignalKind::Plant);
}

TEST(DeviceList, ComPortReplyUnderstandsEscapes) {
    DeviceList list;
    ASSERT_TRUE(
        parseDeviceList("[device 0]\ntype = com\nmode = reply\nreply = 12.5,OK\\r\\x41\n", list).ok());
    ASSERT_NE(comAt(list, 0), nullptr);
    EXPECT_EQ(comAt(list, 0)->mode, ComMode::Reply);
    EXPECT_EQ(comAt(list, 0)->reply, "12.5,OK\rA");
    EXPECT_EQ(list.devices[0]->description(), "COM port 0");
}

TEST(DeviceList, EveryFaultNamesItsLine) {
    EXPECT_EQ(failure("[device 0]\nai.count = 2\nbogus = 1\n"), "line 3: unknown key 'bogus'");
    EXPECT_EQ(failure("x = 1\n"), "line 1: a key before the first [device N] section");
    EXPECT_EQ(failure("[device zero]\n").substr(0, 8), "line 1: ");
    EXPECT_EQ(failure("[device -1]\n").substr(0, 8), "line 1: ");
    EXPECT_EQ(failure("[device 0\n").substr(0, 8), "line 1: ");
    EXPECT_EQ(failure("[device 0]\n[device 0]\n"), "line 2: device 0 is listed twice");
    EXPECT_EQ(failure("[device 0]\njust words\n"), "line 2: expected key = value");
    EXPECT_EQ(failure("[device 0]\n= 3\n"), "line 2: missing key before '='");
    EXPECT_EQ(failure("[device 0]\nai.count = 2\nai.count = 3\n"),
              "line 3: 'ai.count' given twice in this section");
    EXPECT_EQ(failure("[device 0]\nai.count = 33\n").substr(0, 8), "line 2: ");
    EXPECT_EQ(failure("[device 0]\nai.count = 2\nai.2 = sine\n"),
              "line 3: 'ai.2': channel 2 is beyond the count 2");
    EXPECT_EQ(failure("[device 0]\nai.count = 1\nao.count = 1\nai.0 = plant ao=1\n"),
              "line 4: the plant's analog output 1 is beyond ao.count 1");
    EXPECT_EQ(failure("[device 0]\nai.count = 1\n\nai.0 = sine period=-1\n"),
              "line 4: 'period=-1': period must be positive");
    EXPECT_EQ(failure("[device 0]\ntype = modem\n"), "line 2: 'type' must be board or com");
    EXPECT_EQ(failure("[device 0]\ntype = com\nai.count = 2\n"),
              "line 3: unknown key 'ai.count' for a COM port");
    EXPECT_EQ(failure("[device 0]\ndio.ports = 1\ndio.0 = output pins=0x100\n"),
              "line 3: 'pins' must be 0..255 (0xFF)");
    EXPECT_EQ(failure("[device 0]\ncounter.count = 1\ncounter.0 = rate=-3\n"),
              "line 3: 'rate' must be a number >= 0");
    EXPECT_EQ(failure("[device 0]\ntype = com\nreply = abc\\q\n"), "line 3: unknown escape '\\q'");
    EXPECT_EQ(failure("[device 0]\ntype = com\nreply = abc\\x4\n"),
              "line 3: '\\x' needs two hexadecimal digits");
    EXPECT_EQ(failure("[device 5]\nai.count = 1\nalarm.count = 2\n"),
              "line 1: alarm.count is larger than the number of analog input channels");
    EXPECT_EQ(failure("[device 0]\nao.low = 5\nao.high = 5\n"), "line 1: ao.low must be below ao.high");
}

TEST(DeviceList, AFailedParseLeavesTheListAlone) {
    DeviceList list;
    ASSERT_TRUE(parseDeviceList("[device 4]\n", list).ok());
    EXPECT_FALSE(parseDeviceList("[device 0]\nnope = 1\n", list).ok());
    ASSERT_EQ(list.devices.size(), 1u);
    EXPECT_EQ(list.devices[0]->number(), 4);
}

TEST(DeviceList, BinaryGarbageIsRefusedWithoutHarm) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
    DeviceList list;
    EXPECT_FALSE(parseDeviceList(junk, list).ok());
    EXPECT_FALSE(
        parseDeviceList("[device 0]\nai.count = 1\nai.0 = " + junk.substr(0, 300) + "\n", list).ok());
}

TEST(DeviceList, MissingFileIsCreatedWithTheDefaultDevicesWhereTheCallerSays) {
    // The system directory is a place of its own, which the driver must not touch.
    TempHome home;
    const testing_support::TempDir elsewhere;
    const auto path = elsewhere / "plant" / kDeviceListFileName;
    DeviceList list;
    ASSERT_TRUE(loadDeviceList(path, types(), list).ok());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(list.devices.size(), 2u);

    std::filesystem::remove(path);
    auto driver = makeDeviceDriver(path);
    EXPECT_EQ(driver->deviceList().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(home.dir()));
}

TEST(DeviceList, DriverWithABadFileRefusesToOpenAndSaysWhere) {
    TempHome home;
    const auto path = home.write(kDeviceListFileName, "[device 0]\nai.count = 2\nai.1 = sinus\n");
    DeviceListDriver driver(path, types());
    EXPECT_EQ(driver.loadStatus().code, driverCode(DriverError::DeviceListInvalid));
    DeviceHandle h = 99;
    std::string description;
    EXPECT_EQ(driver.deviceOpen(0, 0, h, description), driverCode(DriverError::DeviceListInvalid));
    EXPECT_EQ(h, 0u);
    std::string text;
    EXPECT_EQ(driver.getErrorMessage(driverCode(DriverError::DeviceListInvalid), text), kOk);
    EXPECT_NE(text.find("line 3"), std::string::npos) << text;
    EXPECT_NE(text.find(path.string()), std::string::npos) << text;

    home.write(kDeviceListFileName, "[device 0]\nai.count = 2\nai.1 = sine\n");
    EXPECT_EQ(driver.deviceRebuild(), kOk);
    EXPECT_EQ(driver.deviceOpen(0, 0, h, description), kOk);
    EXPECT_NE(h, 0u);
}

}  // namespace
}  // namespace kestrune
