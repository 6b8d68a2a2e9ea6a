// A device type the driver does not know by name, registered beside the
// standard ones: its section is read by its own parser, and the driver opens,
// dispatches to and closes its devices in a list that mixes every type.

#include "components/driver/device_types.h"

#include <array>
#include <mutex>

#include <gtest/gtest.h>

#include "components/driver/device_list_driver.h"
#include "components/driver/driver_codes.h"
#include "components/driver/standard_device_types.h"
#include "driver_test_support.h"

namespace kestrune {
namespace {

constexpr Code kRefused = driverCode(DriverError::InvalidParameter);

class ProbeDevice final : public Device {
  public:
    ProbeDevice(DeviceSection section, bool refuse) : Device(std::move(section)), refuse_(refuse) {}

    Code open() override {
        std::lock_guard lock(mutex_);
        ++opens;
        return refuse_ ? kRefused : kOk;
    }
    void close() override {
        std::lock_guard lock(mutex_);
        ++closes;
    }
    Code comWrite(std::string_view data) override {
        std::lock_guard lock(mutex_);
        written += data;
        return kOk;
    }

    std::mutex mutex_;
    int opens = 0;
    int closes = 0;
    std::string written;

  private:
    const bool refuse_;
};

Status parseProbe(const DeviceSection& section, std::shared_ptr<Device>& out) {
    bool refuse = false;
    for (const auto& l : section.settings) {
        if (l.key != "refuse") return sectionError(l.line, "unknown key '" + l.key + "' for a probe");
        refuse = l.value == "yes";
    }
    out = std::make_shared<ProbeDevice>(section, refuse);
    return {};
}

DeviceTypes typesWithProbe(std::shared_ptr<const SimClock> clock) {
    DeviceTypes types = standardDeviceTypes(std::move(clock));
    types.add("probe", "Probe", parseProbe);
    return types;
}

constexpr const char* kMixedList = R"(
[device 0]
ao.count = 1

[device 1]
type = com

[device 2]
type = probe

[device 3]
type = probe
refuse = yes
)";

class DeviceTypesTest : public ::testing::Test {
  protected:
    DeviceHandle open(std::int32_t number, Code expected = kOk) {
        DeviceHandle h = 0;
        std::string description;
        EXPECT_EQ(driver.deviceOpen(number, 0, h, description), expected) << number;
        return h;
    }

    testing::TempHome home;
    std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
    std::filesystem::path path = home.write("devices.ini", kMixedList);
    DeviceListDriver driver{path, typesWithProbe(clock)};
};

TEST_F(DeviceTypesTest, AMixedListDispatchesEachHandleToItsOwnDevice) {
    ASSERT_TRUE(driver.loadStatus().ok()) << driver.loadStatus().context;
    const DeviceHandle board = open(0), com = open(1), probe = open(2);
    auto device = std::dynamic_pointer_cast<ProbeDevice>(driver.deviceFor(probe));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->opens, 1);
    EXPECT_EQ(device->description(), "Probe 2");

    ASSERT_EQ(driver.comWrite(probe, "to the probe"), kOk);
    ASSERT_EQ(driver.comWrite(com, "to the port"), kOk);
    std::array<char, 32> buf{};
    std::uint32_t count = 0;
    ASSERT_EQ(driver.comRead(com, buf, 32, 0, kComNoFinalChar, count), kOk);
    EXPECT_EQ(std::string(buf.data(), count), "to the port");
    EXPECT_EQ(device->written, "to the probe");

    // What a type lacks answers the driver's code, whichever type it is.
    EXPECT_EQ(driver.aoVoltageOut(board, {0, 1.0f}), kOk);
    EXPECT_EQ(driver.aoVoltageOut(probe, {0, 1.0f}), driverCode(DriverError::FunctionNotSupported));
    EXPECT_EQ(driver.comWrite(board, "x"), driverCode(DriverError::FunctionNotSupported));
    EXPECT_EQ(driver.counterReset(probe, 0), driverCode(DriverError::FunctionNotSupported));

    ASSERT_EQ(driver.deviceClose(probe), kOk);
    EXPECT_EQ(device->closes, 1);
    EXPECT_EQ(driver.comWrite(probe, "late"), driverCode(DriverError::InvalidHandle));
}

TEST_F(DeviceTypesTest, ADeviceThatRefusesToOpenGivesNoHandle) {
    EXPECT_EQ(open(3, kRefused), 0u);
    EXPECT_EQ(driver.deviceList().size(), 4u);
}

TEST_F(DeviceTypesTest, UnknownTypesAndForeignKeysNameTheirLine) {
    DeviceList list;
    DeviceTypes types = typesWithProbe(clock);
    types.add("hollow", "Hollow", [](const DeviceSection&, std::shared_ptr<Device>&) { return Status{}; });
    Status st = parseDeviceList("[device 0]\ntype = com\n\n[device 5]\ntype = modbus-tcp\n", types, list);
    EXPECT_EQ(st.code, driverCode(DriverError::DeviceListInvalid));
    EXPECT_EQ(st.context, "line 5: 'type' must be board, com, probe or hollow");
    st = parseDeviceList("[device 2]\ntype = probe\n# ok\nspeed = 3\n", types, list);
    EXPECT_EQ(st.context, "line 4: unknown key 'speed' for a probe");
    st = parseDeviceList("\n[device 9]\ntype = hollow\n", types, list);
    EXPECT_EQ(st.context, "line 2: the device type 'hollow' made no device");
    EXPECT_TRUE(list.devices.empty());
}

}  // namespace
}  // namespace kestrune
