#include "components/driver/device_list_driver.h"

#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "components/driver/driver_codes.h"
#include "components/driver/sim_board.h"
#include "components/driver/sim_com_port.h"
#include "components/driver/standard_device_types.h"
#include "driver_test_support.h"

namespace kestrune {
namespace {

constexpr const char* kTestList = R"(
[device 0]
description = Test board
ai.count = 8
ai.0 = plant ao=0 gain=2 tau=5 dead=1 noise=0
ai.1 = plant ao=1 gain=0.5 tau=2 dead=0
ai.2 = sine amplitude=5 offset=0 period=10
ai.3 = ramp low=0 high=10 period=20
ai.4 = square low=0 high=5 period=4
ai.5 = random low=-1 high=1 seed=5
ai.6 = constant value=2.5
ai.7 = constant value=12
ao.count = 2
dio.ports = 3
dio.0 = output
dio.1 = input pins=0xA5
dio.2 = bidirectional pins=0x01
counter.count = 3
counter.0 = rate=100
counter.1 = rate=50 gate=low
counter.2 = rate=1000000000
tc.7 = constant value=25
alarm.count = 2
exp.3 = board=261 channels=16 ids=4

[device 1]
type = com
description = COM1 test

[device 2]
type = com
description = COM2 instrument
mode = reply
reply = 12.5,OK\r

[device 3]
type = com
mode = silent

[device 4]
description = Empty board
)";

class SimDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = home_.write("devices.ini", kTestList);
        driver_ = std::make_unique<DeviceListDriver>(path_, standardDeviceTypes(clock_));
        ASSERT_TRUE(driver_->loadStatus().ok()) << driver_->loadStatus().context;
        board_ = open(0);
    }

    DeviceHandle open(std::int32_t number) {
        DeviceHandle h = 0;
        std::string description;
        EXPECT_EQ(driver_->deviceOpen(number, 0, h, description), kOk);
        return h;
    }

    void at(double seconds) {
        clock_->set(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds)));
    }

    // Reads one channel at gain code `gain`; NaN when the read fails.
    float ai(std::uint16_t chan, std::uint16_t gain = 0) {
        std::array<std::uint16_t, 1> gains{gain};
        std::array<float, 1> v{};
        const Code rc = driver_->maiVoltageIn(board_, {1, chan, gains, 0, v});
        return rc == kOk ? v[0] : NAN;
    }

    Code ao(std::uint16_t chan, float value) { return driver_->aoVoltageOut(board_, {chan, value}); }

    std::uint16_t port(std::uint16_t p) {
        std::uint16_t v = 0xFFFF;
        EXPECT_EQ(driver_->dioReadPortByte(board_, {p, &v}), kOk);
        return v;
    }

    testing::TempHome home_;
    std::filesystem::path path_;
    std::shared_ptr<ManualSimClock> clock_ = std::make_shared<ManualSimClock>();
    std::unique_ptr<DeviceListDriver> driver_;
    DeviceHandle board_ = 0;
};

TEST_F(SimDriverTest, FeaturesAndConfigurationDescribeTheBoard) {
    DeviceFeatures f;
    ASSERT_EQ(driver_->deviceGetFeatures(board_, f), kOk);
    EXPECT_EQ(f.boardName, "Test board");
    EXPECT_EQ(f.aiSingleEndedChannels, 8);
    EXPECT_EQ(f.aiDifferentialChannels, 4);
    EXPECT_EQ(f.aoChannels, 2);
    EXPECT_EQ(f.diChannels, 24);
    EXPECT_EQ(f.doChannels, 24);
    EXPECT_EQ(f.counterChannels, 3);
    EXPECT_EQ(f.alarmChannels, 2);
    EXPECT_EQ(f.thermocoupleChannels, 1);
    EXPECT_TRUE(f.dioConfigurable);
    ASSERT_EQ(f.gains.size(), 5u);
    EXPECT_EQ(f.gains[1].name, "+/- 5 V");

    AiConfig a;
    ASSERT_EQ(driver_->aiGetConfig(board_, a), kOk);
    EXPECT_EQ(a.inputMode, kInputModeSingleEnded);
    EXPECT_EQ(a.cjcChannel, -1);
    EXPECT_EQ(a.channels[3].boardType, 261);
    EXPECT_EQ(a.channels[3].boardIds, 4);
    EXPECT_EQ(a.channels[2].boardType, 0);

    DioConfig d;
    ASSERT_EQ(driver_->dioGetConfig(board_, d), kOk);
    EXPECT_EQ(d.ports, (std::vector<std::uint16_t>{kPortOutput, kPortInput, kPortBidirectional}));

    std::string name;
    EXPECT_EQ(driver_->boardTypeMapBoardName(261, name), kOk);
    EXPECT_FALSE(name.empty());
}

TEST_F(SimDriverTest, AnEmptyBoardReportsNoChannels) {
    const DeviceHandle h = open(4);
    DeviceFeatures f;
    ASSERT_EQ(driver_->deviceGetFeatures(h, f), kOk);
    EXPECT_EQ(f.aiSingleEndedChannels + f.aoChannels + f.diChannels + f.counterChannels + f.alarmChannels, 0);
    EXPECT_TRUE(f.gains.empty());
}

TEST_F(SimDriverTest, ChannelsShowTheirSignals) {
    at(2.5);
    EXPECT_NEAR(ai(2), 5.0f, 1e-5);   // sine at a quarter period
    EXPECT_NEAR(ai(3), 1.25f, 1e-5);  // ramp
    EXPECT_EQ(ai(4), 0.0f);           // square in its low half
    EXPECT_EQ(ai(6), 2.5f);
    at(1.0);
    EXPECT_EQ(ai(4), 5.0f);
    for (int i = 0; i < 100; ++i) {
        const float r = ai(5);
        EXPECT_GE(r, -1.0f);
        EXPECT_LE(r, 1.0f);
    }
    // A reading is clipped to the chosen range.
    EXPECT_EQ(ai(7, 0), 10.0f);
    EXPECT_EQ(ai(7, 1), 5.0f);
    EXPECT_EQ(ai(6, 3), 1.25f);
}

TEST_F(SimDriverTest, ABlockReadFillsOnlyItsPartOfTheBuffer) {
    at(2.5);
    std::array<std::uint16_t, 32> gains{};
    std::array<float, 32> readings;
    readings.fill(-7.0f);
    const std::uint16_t first = 2, count = 3;
    ASSERT_EQ(driver_->maiConfig(board_, {count, first, std::span(gains).subspan(first)}), kOk);
    ASSERT_EQ(
        driver_->maiVoltageIn(board_, {count, first, std::span<const std::uint16_t>(gains).subspan(first), 0,
                                       std::span(readings).subspan(first)}),
        kOk);
    EXPECT_EQ(readings[1], -7.0f);
    EXPECT_NEAR(readings[2], 5.0f, 1e-5);
    EXPECT_NEAR(readings[3], 1.25f, 1e-5);
    EXPECT_EQ(readings[4], 0.0f);
    EXPECT_EQ(readings[5], -7.0f);
}

TEST_F(SimDriverTest, PlantDrivenByAConstantOutputSettlesToGainTimesOutput) {
    at(0.0);
    ASSERT_EQ(ao(0, 3.0f), kOk);
    at(1.0);  // the dead time
    EXPECT_NEAR(ai(0), 0.0f, 1e-6);
    at(6.0);  // one time constant later: 63 %
    EXPECT_NEAR(ai(0) / 6.0f, 0.632f, 0.001f);
    at(26.0);  // five time constants: within 1 %
    EXPECT_NEAR(ai(0), 6.0f, 0.06f);
    at(500.0);
    EXPECT_NEAR(ai(0), 6.0f, 1e-5);
    // The other plant hangs on the other output and has not moved.
    EXPECT_EQ(ai(1), 0.0f);
}

TEST_F(SimDriverTest, OutputsAreClippedToTheirRangeAndRefuseNonNumbers) {
    EXPECT_EQ(ao(1, 25.0f), kOk);
    auto board = std::dynamic_pointer_cast<SimBoard>(driver_->deviceFor(board_));
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->aoValue(1), 10.0f);
    EXPECT_EQ(ao(1, -3.0f), kOk);
    EXPECT_EQ(board->aoValue(1), 0.0f);
    EXPECT_EQ(ao(1, NAN), driverCode(DriverError::InvalidParameter));
    EXPECT_EQ(board->aoValue(1), 0.0f);
    EXPECT_EQ(ao(2, 1.0f), driverCode(DriverError::InvalidChannel));
}

TEST_F(SimDriverTest, ReadsThatDoNotFitAreRefused) {
    std::array<std::uint16_t, 4> gains{};
    std::array<float, 2> small{};
    EXPECT_EQ(driver_->maiVoltageIn(board_, {3, 0, gains, 0, small}),
              driverCode(DriverError::BufferTooSmall));
    std::array<float, 4> v{};
    EXPECT_EQ(driver_->maiVoltageIn(board_, {3, 0, std::span(gains).first(2), 0, v}),
              driverCode(DriverError::BufferTooSmall));
    EXPECT_EQ(driver_->maiVoltageIn(board_, {2, 7, gains, 0, v}), driverCode(DriverError::InvalidChannel));
    EXPECT_EQ(driver_->maiVoltageIn(board_, {0, 0, gains, 0, v}), driverCode(DriverError::BufferTooSmall));
    gains[1] = 9;
    EXPECT_EQ(driver_->maiVoltageIn(board_, {2, 0, gains, 0, v}), driverCode(DriverError::InvalidGain));
    EXPECT_EQ(driver_->maiConfig(board_, {2, 0, gains}), driverCode(DriverError::InvalidGain));
    EXPECT_EQ(driver_->maiConfig(board_, {4, 6, gains}), driverCode(DriverError::InvalidChannel));
}

TEST_F(SimDriverTest, ExpansionReadsCheckTheMultiplexerCode) {
    at(2.5);
    const std::array<std::uint16_t, 2> chans{3, 6};
    const std::array<std::uint16_t, 2> gains{0, 0};
    std::array<std::uint16_t, 2> mux{(3 << 4) | 15, 0};
    std::array<float, 2> v{};
    ASSERT_EQ(driver_->maiVoltageInExp(board_, {2, chans, gains, mux, v}), kOk);
    EXPECT_NEAR(v[0], 1.25f, 1e-5);
    EXPECT_EQ(v[1], 2.5f);
    mux[0] = 4 << 4;  // board ID 4 of 4
    EXPECT_EQ(driver_->maiVoltageInExp(board_, {2, chans, gains, mux, v}),
              driverCode(DriverError::InvalidExpansionChannel));
}

TEST_F(SimDriverTest, DigitalPortsWriteByMaskAndReadBack) {
    ASSERT_EQ(driver_->dioWritePortByte(board_, {0, 0xFF, 0x52}), kOk);
    EXPECT_EQ(port(0), 0x52);
    ASSERT_EQ(driver_->dioWritePortByte(board_, {0, 8, 8}), kOk);  // set bit 3 only
    EXPECT_EQ(port(0), 0x5A);
    ASSERT_EQ(driver_->dioWritePortByte(board_, {0, 2, 0}), kOk);  // clear bit 1 only
    EXPECT_EQ(port(0), 0x58);
    EXPECT_EQ(port(1), 0xA5);
    EXPECT_EQ(driver_->dioWritePortByte(board_, {1, 0xFF, 0}), driverCode(DriverError::PortNotWritable));
    EXPECT_EQ(port(1), 0xA5);
    ASSERT_EQ(driver_->dioWritePortByte(board_, {2, 0xFF, 0x80}), kOk);
    EXPECT_EQ(port(2), 0x81);  // latch and the outside pins together
    std::uint16_t v = 0;
    EXPECT_EQ(driver_->dioReadPortByte(board_, {3, &v}), driverCode(DriverError::InvalidPort));
    EXPECT_EQ(driver_->dioReadPortByte(board_, {0, nullptr}), driverCode(DriverError::InvalidParameter));
    EXPECT_EQ(driver_->dioWritePortByte(board_, {3, 1, 1}), driverCode(DriverError::InvalidPort));
}

TEST_F(SimDriverTest, EventCountersCountFromTheirStartThroughTheGate) {
    std::uint16_t overflow = 9;
    std::uint32_t count = 9;
    EXPECT_EQ(driver_->counterEventRead(board_, {0, &overflow, &count}),
              driverCode(DriverError::CounterNotStarted));
    at(10.0);
    ASSERT_EQ(driver_->counterEventStart(board_, {0, 0}), kOk);
    ASSERT_EQ(driver_->counterEventStart(board_, {1, 1}), kOk);  // counts while high; its gate is low
    at(12.5);
    ASSERT_EQ(driver_->counterEventRead(board_, {0, &overflow, &count}), kOk);
    EXPECT_EQ(count, 250u);
    EXPECT_EQ(overflow, 0);
    ASSERT_EQ(driver_->counterEventRead(board_, {1, &overflow, &count}), kOk);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(driver_->counterEventStart(board_, {1, 2}), kOk);  // counts while low
    at(14.5);
    ASSERT_EQ(driver_->counterEventRead(board_, {1, &overflow, &count}), kOk);
    EXPECT_EQ(count, 100u);

    ASSERT_EQ(driver_->counterReset(board_, 0), kOk);
    EXPECT_EQ(driver_->counterEventRead(board_, {0, &overflow, &count}),
              driverCode(DriverError::CounterNotStarted));
    EXPECT_EQ(driver_->counterEventStart(board_, {3, 0}), driverCode(DriverError::InvalidCounter));
    EXPECT_EQ(driver_->counterEventRead(board_, {0, nullptr, &count}),
              driverCode(DriverError::InvalidParameter));
}

TEST_F(SimDriverTest, AThirtyTwoBitCountWrapsAndFlagsTheOverflow) {
    at(0.0);
    ASSERT_EQ(driver_->counterEventStart(board_, {2, 0}), kOk);
    at(10.0);  // 1e10 events
    std::uint16_t overflow = 0;
    std::uint32_t count = 0;
    ASSERT_EQ(driver_->counterEventRead(board_, {2, &overflow, &count}), kOk);
    EXPECT_EQ(overflow, 1);
    EXPECT_EQ(count, static_cast<std::uint32_t>(10000000000ull % 4294967296ull));
}

TEST_F(SimDriverTest, FrequencyAndPulseModes) {
    float freq = 0;
    EXPECT_EQ(driver_->counterFreqRead(board_, {0, &freq}), driverCode(DriverError::CounterNotStarted));
    ASSERT_EQ(driver_->counterFreqStart(board_, {0, 1, 0}), kOk);
    ASSERT_EQ(driver_->counterFreqRead(board_, {0, &freq}), kOk);
    EXPECT_EQ(freq, 100.0f);

    EXPECT_EQ(driver_->counterPulseStart(board_, {1, 0.2f, 0.2f, 0}),
              driverCode(DriverError::InvalidPulseTiming));
    EXPECT_EQ(driver_->counterPulseStart(board_, {1, 0.0f, 0.0f, 0}),
              driverCode(DriverError::InvalidPulseTiming));
    EXPECT_EQ(driver_->counterPulseStart(board_, {1, NAN, 0.1f, 0}),
              driverCode(DriverError::InvalidPulseTiming));
    at(1.0);
    ASSERT_EQ(driver_->counterPulseStart(board_, {1, 0.2f, 0.05f, 0}), kOk);
    // The pulse mode gives no frequency reading of its own.
    EXPECT_EQ(driver_->counterFreqRead(board_, {1, &freq}), driverCode(DriverError::CounterNotStarted));
}

TEST_F(SimDriverTest, AlarmsLatchUntilResetAndFollowTheirInput) {
    ASSERT_EQ(driver_->alarmReset(board_, 0), kOk);
    ASSERT_EQ(driver_->alarmConfig(board_, {0, 1.0f, 5.0f}), kOk);
    std::uint16_t lo = 9, hi = 9;
    // Not enabled: the comparator does not look.
    ASSERT_EQ(driver_->alarmCheck(board_, {0, &lo, &hi}), kOk);
    EXPECT_EQ(lo + hi, 0);
    ASSERT_EQ(driver_->alarmEnable(board_, {0, 1, 1}), kOk);
    at(0.0);
    ASSERT_EQ(driver_->alarmCheck(board_, {0, &lo, &hi}), kOk);
    EXPECT_EQ(lo, 1);  // the plant sits at 0, below the low limit
    EXPECT_EQ(hi, 0);
    ASSERT_EQ(ao(0, 4.0f), kOk);
    at(60.0);  // the plant is at 8 now
    ASSERT_EQ(driver_->alarmCheck(board_, {0, &lo, &hi}), kOk);
    EXPECT_EQ(2 * hi + lo, 3);  // the low state is latched
    ASSERT_EQ(driver_->alarmReset(board_, 0), kOk);
    ASSERT_EQ(driver_->alarmCheck(board_, {0, &lo, &hi}), kOk);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);

    // Without the latch a state follows the input.
    ASSERT_EQ(driver_->alarmEnable(board_, {0, 0, 1}), kOk);
    ASSERT_EQ(ao(0, 1.5f), kOk);
    at(200.0);
    ASSERT_EQ(driver_->alarmCheck(board_, {0, &lo, &hi}), kOk);
    EXPECT_EQ(lo + hi, 0);

    EXPECT_EQ(driver_->alarmConfig(board_, {0, 5.0f, 1.0f}), driverCode(DriverError::InvalidParameter));
    EXPECT_EQ(driver_->alarmConfig(board_, {2, 0.0f, 1.0f}), driverCode(DriverError::InvalidAlarmChannel));
    EXPECT_EQ(driver_->alarmCheck(board_, {1, nullptr, &hi}), driverCode(DriverError::InvalidParameter));
}

TEST_F(SimDriverTest, ThermocoupleReadsInEveryScale) {
    float t = 0;
    auto read = [&](std::uint16_t type, std::uint16_t scale) {
        return driver_->tcMuxRead(board_, {7, 0, 0, type, scale, &t});
    };
    ASSERT_EQ(read(0, 0), kOk);
    EXPECT_FLOAT_EQ(t, 25.0f);
    ASSERT_EQ(read(1, 1), kOk);
    EXPECT_FLOAT_EQ(t, 77.0f);
    ASSERT_EQ(read(5, 2), kOk);  // R is code 5
    EXPECT_FLOAT_EQ(t, 536.67f);
    ASSERT_EQ(read(6, 3), kOk);  // E is code 6
    EXPECT_FLOAT_EQ(t, 298.15f);
    EXPECT_EQ(read(4, 0), driverCode(DriverError::InvalidThermocoupleType));
    EXPECT_EQ(read(0, 4), driverCode(DriverError::InvalidTemperatureScale));
    EXPECT_EQ(driver_->tcMuxRead(board_, {6, 0, 0, 0, 0, &t}), driverCode(DriverError::NoThermocouple));
    EXPECT_EQ(driver_->tcMuxRead(board_, {8, 0, 0, 0, 0, &t}), driverCode(DriverError::InvalidChannel));
    EXPECT_EQ(driver_->tcMuxRead(board_, {7, 9, 0, 0, 0, &t}), driverCode(DriverError::InvalidGain));
}

class SimComTest : public SimDriverTest {
  protected:
    std::string read(DeviceHandle h, std::uint16_t finalChar, std::uint32_t size = 256) {
        std::array<char, 260> buf{};
        std::uint32_t count = 999;
        EXPECT_EQ(driver_->comRead(h, buf, size, 3, finalChar, count), kOk);
        return std::string(buf.data(), count);
    }
};

TEST_F(SimComTest, LoopBackReturnsThePromptUpToTheFinalCharacter) {
    const DeviceHandle com = open(1);
    ASSERT_EQ(driver_->comEscape(com, kComEscapeRequest), kOk);
    ASSERT_EQ(driver_->comWrite(com, "12.5,OK\rNEXT\r"), kOk);
    EXPECT_EQ(read(com, 13), "12.5,OK\r");
    EXPECT_EQ(read(com, 13), "NEXT\r");
    EXPECT_EQ(read(com, 13), "");
    ASSERT_EQ(driver_->comWrite(com, "A\rB"), kOk);
    EXPECT_EQ(read(com, kComNoFinalChar), "A\rB");
    ASSERT_EQ(driver_->comWrite(com, std::string("x\0y", 3)), kOk);
    EXPECT_EQ(read(com, 0), std::string("x\0", 2));  // a NUL final character
    EXPECT_EQ(read(com, 0, 1), "y");
}

TEST_F(SimComTest, SendOnlyDiscardsTheAnswerAndARequestClearsOldData) {
    const DeviceHandle com = open(1);
    ASSERT_EQ(driver_->comEscape(com, kComEscapeSendOnly), kOk);
    ASSERT_EQ(driver_->comWrite(com, "SET 5\r"), kOk);
    EXPECT_EQ(read(com, 13), "");
    ASSERT_EQ(driver_->comWrite(com, "stale\r"), kOk);
    ASSERT_EQ(driver_->comEscape(com, kComEscapeRequest), kOk);
    EXPECT_EQ(read(com, 13), "");
    EXPECT_EQ(driver_->comEscape(com, 7), driverCode(DriverError::InvalidEscape));
}

TEST_F(SimComTest, InstrumentRepliesAndSilentPortsStayQuiet) {
    const DeviceHandle instrument = open(2);
    ASSERT_EQ(driver_->comWrite(instrument, "?\r"), kOk);
    EXPECT_EQ(read(instrument, 13), "12.5,OK\r");
    const DeviceHandle silent = open(3);
    ASSERT_EQ(driver_->comWrite(silent, "?\r"), kOk);
    EXPECT_EQ(read(silent, 13), "");
}

TEST_F(SimComTest, ReadsStayInsideTheBufferAndOverflowKeepsTheNewest) {
    const DeviceHandle com = open(1);
    std::string big(kComReceiveCapacity + 100, 'a');
    big.back() = 'z';
    EXPECT_EQ(driver_->comWrite(com, big), driverCode(DriverError::ComOverflow));
    std::array<char, 16> small{};
    std::uint32_t count = 0;
    ASSERT_EQ(driver_->comRead(com, small, 256, 0, kComNoFinalChar, count), kOk);
    EXPECT_EQ(count, small.size());
    std::string rest;
    do {
        rest += read(com, kComNoFinalChar);
    } while (!rest.empty() && rest.back() != 'z' && rest.size() < 2 * kComReceiveCapacity);
    EXPECT_EQ(rest.size() + small.size(), kComReceiveCapacity);
    EXPECT_EQ(driver_->comRead(com, {}, 256, 0, 13, count), driverCode(DriverError::InvalidParameter));
    EXPECT_EQ(driver_->comRead(com, small, 256, 0, 300, count), driverCode(DriverError::InvalidParameter));
}

TEST_F(SimComTest, PortsAndBoardsRefuseEachOthersFunctions) {
    const DeviceHandle com = open(1);
    EXPECT_EQ(driver_->comWrite(board_, "x"), driverCode(DriverError::FunctionNotSupported));
    EXPECT_EQ(driver_->aoVoltageOut(com, {0, 1.0f}), driverCode(DriverError::FunctionNotSupported));
    DeviceFeatures f;
    ASSERT_EQ(driver_->deviceGetFeatures(com, f), kOk);
    EXPECT_EQ(f.aiSingleEndedChannels, 0);
}

}  // namespace
}  // namespace kestrune
