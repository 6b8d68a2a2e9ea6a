#pragma once
// Parameter records of the device driver calls and the descriptions a device
// gives of itself. Arrays are passed as spans so that the driver can refuse a
// request that does not fit the caller's buffer instead of writing past it;
// single results are passed as pointers, as the blocks keep them in their own
// state. A null result pointer is refused with DriverError::InvalidParameter.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrune {

// 0 is never a valid handle: the blocks use it for "not open".
using DeviceHandle = std::uint32_t;

// One entry of a device's gain list: the code the block passes per channel,
// the text of its range list and the limits a reading is clipped to.
struct GainRange {
    std::uint16_t code = 0;
    std::string name;
    double low = -10.0;
    double high = 10.0;
};

struct DeviceFeatures {
    std::string boardName;
    std::uint16_t aiSingleEndedChannels = 0;
    std::uint16_t aiDifferentialChannels = 0;
    std::uint16_t aoChannels = 0;
    std::uint16_t diChannels = 0;  // 8 per port; (diChannels + 7) / 8 is the port count
    std::uint16_t doChannels = 0;
    std::uint16_t counterChannels = 0;
    std::uint16_t alarmChannels = 0;  // alarm n watches analog input channel n
    std::uint16_t thermocoupleChannels = 0;
    bool dioConfigurable = false;  // dioGetConfig gives the ports' directions
    std::vector<GainRange> gains;
    float aoLow = 0.0f;
    float aoHigh = 10.0f;
};

inline constexpr std::uint16_t kInputModeSingleEnded = 0;
inline constexpr std::uint16_t kInputModeDifferential = 1;
inline constexpr std::size_t kAiConfigEntries = 16;  // channel n uses entry n % 16

struct AiChannelConfig {
    std::uint16_t boardType = 0;  // 0 = no expansion board
    std::uint16_t expChannels = 0;
    std::uint16_t boardIds = 0;
};

struct AiConfig {
    std::uint16_t inputMode = kInputModeSingleEnded;
    std::int16_t cjcChannel = -1;  // the cold-junction channel, -1 when none
    std::array<AiChannelConfig, kAiConfigEntries> channels{};
};

// Port direction codes of dioGetConfig.
inline constexpr std::uint16_t kPortInput = 0;
inline constexpr std::uint16_t kPortOutput = 1;  // outputs read back as written
inline constexpr std::uint16_t kPortBidirectional = 2;

struct DioConfig {
    std::vector<std::uint16_t> ports;
};

struct PT_MAIConfig {
    std::uint16_t NumChan = 0;
    std::uint16_t StartChan = 0;
    std::span<const std::uint16_t> GainArray;  // from the first channel's entry
};

struct PT_MAIVoltageIn {
    std::uint16_t NumChan = 0;
    std::uint16_t StartChan = 0;
    std::span<const std::uint16_t> GainArray;
    std::uint16_t TrigMode = 0;
    std::span<float> VoltageArray;  // receives NumChan readings
};

struct PT_MAIVoltageInExp {
    std::uint16_t NumChan = 0;
    std::span<const std::uint16_t> ChanArray;
    std::span<const std::uint16_t> GainArray;
    std::span<const std::uint16_t> MuxArray;  // (board ID << 4) | expansion channel for board type 261
    std::span<float> VoltageArray;
};

struct PT_AOVoltageOut {
    std::uint16_t chan = 0;
    float OutputValue = 0.0f;
};

struct PT_DioReadPortByte {
    std::uint16_t port = 0;
    std::uint16_t* value = nullptr;
};

struct PT_DioWritePortByte {
    std::uint16_t port = 0;
    std::uint16_t mask = 0;  // only these bits change
    std::uint16_t state = 0;
};

// Thermocouple codes: J 0, K 1, S 2, T 3, R 5, E 6. Scales: 0 Celsius,
// 1 Fahrenheit, 2 Rankine, 3 Kelvin.
struct PT_TCMuxRead {
    std::uint16_t DasChan = 0;
    std::uint16_t DasGain = 0;  // index into the gain list
    std::uint16_t ExpChan = 0;
    std::uint16_t TCType = 0;
    std::uint16_t TempScale = 0;
    float* temp = nullptr;
};

// Gate modes: 0 disabled (always counts), 1 counts while the gate is high,
// 2 while it is low.
struct PT_CounterEventStart {
    std::uint16_t counter = 0;
    std::uint16_t GateMode = 0;
};

struct PT_CounterEventRead {
    std::uint16_t counter = 0;
    std::uint16_t* overflow = nullptr;  // set once the count has passed 32 bits
    std::uint32_t* count = nullptr;
};

struct PT_CounterFreqStart {
    std::uint16_t counter = 0;
    std::uint16_t GatePeriod = 0;
    std::uint16_t GateMode = 0;
};

struct PT_CounterFreqRead {
    std::uint16_t counter = 0;
    float* freq = nullptr;
};

struct PT_CounterPulseStart {
    std::uint16_t counter = 0;
    float period = 0.0f;   // seconds
    float UpCycle = 0.0f;  // the first half cycle, seconds
    std::uint16_t GateMode = 0;
};

struct PT_AlarmConfig {
    std::uint16_t chan = 0;
    float LoLimit = 0.0f;
    float HiLimit = 5.0f;
};

struct PT_AlarmEnable {
    std::uint16_t chan = 0;
    std::uint16_t LatchMode = 1;  // 1: a state stays set until alarmReset
    std::uint16_t enabled = 1;
};

struct PT_AlarmCheck {
    std::uint16_t chan = 0;
    std::uint16_t* LoState = nullptr;
    std::uint16_t* HiState = nullptr;
};

// The final character that means "no final character": the serial block
// passes it for its "NONE" choice.
inline constexpr std::uint16_t kComNoFinalChar = 8;

// Escape codes of comEscape: 1 before a prompt that expects an answer (the
// receive buffer is cleared), 2 before a prompt whose answer is not wanted
// (the answer to the next write is discarded).
inline constexpr std::int32_t kComEscapeRequest = 1;
inline constexpr std::int32_t kComEscapeSendOnly = 2;

// One device of the list, for the selection dialog.
struct DeviceInfo {
    std::int32_t number = -1;
    std::uint8_t kind = 0;
    std::string description;
};

}  // namespace kestrune
