// Handles, error codes, selection and rebuilds of the driver, and several
// task threads on one board at once.

#include <array>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "components/driver/device_list_driver.h"
#include "components/driver/driver_codes.h"
#include "components/driver/standard_device_types.h"
#include "driver_test_support.h"

namespace kestrune {
namespace {

constexpr const char* kList = R"(
[device 0]
description = Rig board
ai.count = 2
ao.count = 1
ai.0 = plant ao=0 gain=1 tau=10
dio.ports = 1
counter.count = 1

[device 7]
type = com
description = COM7 loop
)";

class DriverApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = home_.write("devices.ini", kList);
        driver_ = std::make_unique<DeviceListDriver>(path_, standardDeviceTypes(clock_));
    }

    testing::TempHome home_;
    std::filesystem::path path_;
    std::shared_ptr<ManualSimClock> clock_ = std::make_shared<ManualSimClock>();
    std::unique_ptr<DeviceListDriver> driver_;
};

TEST_F(DriverApiTest, OpeningAMissingDeviceFailsWithTheResetCode) {
    DeviceHandle h = 5;
    std::string description = "unchanged";
    const Code rc = driver_->deviceOpen(3, 0, h, description);
    EXPECT_EQ(rc, driverCode(DriverError::DeviceNotFound));
    EXPECT_EQ(rc & 0xFFF, 2);  // what the dialogs test before offering to forget the device
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(description, "unchanged");
    EXPECT_EQ(driver_->deviceOpen(-1, 0, h, description), driverCode(DriverError::DeviceNotFound));
}

TEST_F(DriverApiTest, HandlesAreDistinctAndDieWithTheirClose) {
    DeviceHandle a = 0, b = 0;
    std::string description;
    ASSERT_EQ(driver_->deviceOpen(0, 0, a, description), kOk);
    EXPECT_EQ(description, "Rig board");
    ASSERT_EQ(driver_->deviceOpen(0, 0, b, description), kOk);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    ASSERT_EQ(driver_->deviceClose(a), kOk);
    EXPECT_EQ(driver_->deviceClose(a), driverCode(DriverError::InvalidHandle));
    EXPECT_EQ(driver_->aoVoltageOut(a, {0, 1.0f}), driverCode(DriverError::InvalidHandle));
    EXPECT_EQ(driver_->aoVoltageOut(b, {0, 1.0f}), kOk);
    EXPECT_EQ(driver_->aoVoltageOut(0, {0, 1.0f}), driverCode(DriverError::InvalidHandle));
    DeviceFeatures f;
    EXPECT_EQ(driver_->deviceGetFeatures(12345, f), driverCode(DriverError::InvalidHandle));
}

TEST_F(DriverApiTest, HandlesOnOneBoardShareItsState) {
    DeviceHandle out = 0, in = 0;
    std::string description;
    ASSERT_EQ(driver_->deviceOpen(0, 0, out, description), kOk);
    ASSERT_EQ(driver_->deviceOpen(0, 0, in, description), kOk);
    ASSERT_EQ(driver_->dioWritePortByte(out, {0, 0xFF, 0x3C}), kOk);
    std::uint16_t v = 0;
    ASSERT_EQ(driver_->dioReadPortByte(in, {0, &v}), kOk);
    EXPECT_EQ(v, 0x3C);
    // Closing every handle does not switch the board off.
    ASSERT_EQ(driver_->deviceClose(out), kOk);
    ASSERT_EQ(driver_->deviceClose(in), kOk);
    ASSERT_EQ(driver_->deviceOpen(0, 0, in, description), kOk);
    ASSERT_EQ(driver_->dioReadPortByte(in, {0, &v}), kOk);
    EXPECT_EQ(v, 0x3C);
}

TEST_F(DriverApiTest, RebuildKeepsUnchangedDevicesAndReplacesChangedOnes) {
    DeviceHandle h = 0;
    std::string description;
    ASSERT_EQ(driver_->deviceOpen(0, 0, h, description), kOk);
    ASSERT_EQ(driver_->dioWritePortByte(h, {0, 0xFF, 0x11}), kOk);
    ASSERT_EQ(driver_->deviceRebuild(), kOk);
    DeviceHandle h2 = 0;
    ASSERT_EQ(driver_->deviceOpen(0, 0, h2, description), kOk);
    std::uint16_t v = 0;
    ASSERT_EQ(driver_->dioReadPortByte(h2, {0, &v}), kOk);
    EXPECT_EQ(v, 0x11);

    home_.write("devices.ini", std::string(kList) + "\n[device 8]\ndescription = New board\n");
    ASSERT_EQ(driver_->deviceRebuild(), kOk);
    EXPECT_EQ(driver_->deviceList().size(), 3u);

    std::string changed = kList;
    changed.replace(changed.find("Rig board"), 9, "Rig board B");
    home_.write("devices.ini", changed);
    ASSERT_EQ(driver_->deviceRebuild(), kOk);
    DeviceHandle h3 = 0;
    ASSERT_EQ(driver_->deviceOpen(0, 0, h3, description), kOk);
    EXPECT_EQ(description, "Rig board B");
    ASSERT_EQ(driver_->dioReadPortByte(h3, {0, &v}), kOk);
    EXPECT_EQ(v, 0);
    // The handle opened before still reaches the board it was opened on.
    ASSERT_EQ(driver_->dioReadPortByte(h, {0, &v}), kOk);
    EXPECT_EQ(v, 0x11);
}

TEST_F(DriverApiTest, CodesAreRecognisedFullAndMaskedButNotOthers) {
    const Code full = driverCode(DriverError::InvalidChannel);
    EXPECT_NE(driver_->checkErrorCode(full), 0);
    EXPECT_NE(driver_->checkErrorCode(full & 0xFFF), 0);
    EXPECT_NE(driver_->checkErrorCode(306), 0);
    EXPECT_NE(driver_->checkErrorCode(312), 0);
    EXPECT_EQ(driver_->checkErrorCode(0), 0);
    EXPECT_EQ(driver_->checkErrorCode(12), 0);  // the scan engine's data overrun
    EXPECT_EQ(driver_->checkErrorCode(15), 0);  // bad OPC quality
    EXPECT_EQ(driver_->checkErrorCode(32864), 0);
    EXPECT_EQ(driver_->checkErrorCode(0x20401), 0);  // an OPC code
    EXPECT_EQ(driver_->checkErrorCode(0x401), 0);
    EXPECT_EQ(driver_->checkErrorCode(0x30000 + 6), 0);
    // Every full code lies outside the program's message ids.
    EXPECT_GT(full, 59999);
}

TEST_F(DriverApiTest, ErrorTextsNameTheFaultAndTheDevice) {
    std::string text;
    EXPECT_EQ(driver_->getErrorMessage(306, text), kOk);
    EXPECT_EQ(text, "The device has no analog input channels.");
    EXPECT_EQ(driver_->getErrorMessage(0, 0, driverCode(DriverError::InvalidChannel) & 0xFFF, text), kOk);
    EXPECT_EQ(text, "Rig board: The channel number is out of range for this device.");
    EXPECT_NE(driver_->getErrorMessage(4711, text), kOk);
    EXPECT_NE(text.find("4711"), std::string::npos);
}

TEST_F(DriverApiTest, ErrorBoxShowsTheTextWithItsContext) {
    driver_->errorMessageBox(305, " : TASK1, SER1");  // no user interface: nothing happens
    testing::ScriptedUi ui;
    driver_->setUserInterface(&ui);
    driver_->errorMessageBox(305, " : TASK1, SER1");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], "The selected device is not a COM port. : TASK1, SER1");
}

TEST_F(DriverApiTest, DeviceSelectOffersTheListAndReturnsTheChoice) {
    std::int32_t number = -1;
    std::uint8_t kind = 9;
    std::string description;
    EXPECT_EQ(driver_->deviceSelect(number, kind, description), 0);  // no user interface
    testing::ScriptedUi ui;
    driver_->setUserInterface(&ui);
    EXPECT_EQ(driver_->deviceSelect(number, kind, description), 0);  // cancelled
    EXPECT_EQ(number, -1);
    ASSERT_EQ(ui.listed.size(), 2u);
    EXPECT_EQ(ui.listed[1], "7: COM7 loop");
    ui.choice = 1;
    EXPECT_EQ(driver_->deviceSelect(number, kind, description), 1);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(description, "COM7 loop");
    ui.choice = 5;  // an answer outside the list is no choice
    EXPECT_EQ(driver_->deviceSelect(number, kind, description), 0);
}

TEST_F(DriverApiTest, TaskThreadsShareABoardWhileTheClockRuns) {
    constexpr int kThreads = 4;
    std::atomic<int> failures{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            DeviceHandle h = 0;
            std::string description;
            if (driver_->deviceOpen(t % 2 ? 0 : 7, 0, h, description) != kOk) ++failures;
            std::array<std::uint16_t, 2> gains{};
            std::array<float, 2> v{};
            std::array<char, 64> buf{};
            for (int i = 0; i < 2000 && !stop; ++i) {
                if (t % 2) {
                    if (driver_->aoVoltageOut(h, {0, static_cast<float>(i % 10)}) != kOk) ++failures;
                    if (driver_->maiVoltageIn(h, {2, 0, gains, 0, v}) != kOk) ++failures;
                    if (driver_->dioWritePortByte(h, {0, 1, static_cast<std::uint16_t>(i & 1)}) != kOk)
                        ++failures;
                } else {
                    std::uint32_t n = 0;
                    if (driver_->comWrite(h, "ping\r") != kOk) ++failures;
                    if (driver_->comRead(h, buf, 64, 0, 13, n) != kOk) ++failures;
                }
            }
            driver_->deviceClose(h);
        });
    }
    for (int i = 0; i < 1000; ++i) {
        clock_->advanceSeconds(0.01);
        driver_->deviceList();
    }
    stop = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace kestrune
