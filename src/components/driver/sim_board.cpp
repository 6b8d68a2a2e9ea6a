#include "components/driver/sim_board.h"

#include <algorithm>
#include <cmath>

#include "components/driver/driver_codes.h"

namespace kestrune {
namespace {

Code err(DriverError e) {
    return driverCode(e);
}

bool validThermocouple(std::uint16_t code) {
    return code <= 3 || code == 5 || code == 6;
}

double toScale(double celsius, std::uint16_t scale) {
    switch (scale) {
        case 1:
            return celsius * 9.0 / 5.0 + 32.0;
        case 2:
            return (celsius + 273.15) * 9.0 / 5.0;
        case 3:
            return celsius + 273.15;
        default:
            return celsius;
    }
}

constexpr std::uint16_t kMuxBoardWithIds = 261;

}  // namespace

const std::vector<GainRange>& simGainList() {
    static const std::vector<GainRange> gains = {
        {0, "+/- 10 V", -10.0, 10.0},   {1, "+/- 5 V", -5.0, 5.0},   {2, "+/- 2.5 V", -2.5, 2.5},
        {3, "+/- 1.25 V", -1.25, 1.25}, {4, "0 to 10 V", 0.0, 10.0},
    };
    return gains;
}

Status SimBoard::fromSection(const DeviceSection& section, std::shared_ptr<const SimClock> clock,
                             std::shared_ptr<Device>& out) {
    BoardSettings settings;
    if (Status st = parseBoardSettings(section, settings); !st.ok()) return st;
    out = std::make_shared<SimBoard>(section, std::move(settings), std::move(clock));
    return {};
}

SimBoard::SimBoard(DeviceSection section, BoardSettings settings, std::shared_ptr<const SimClock> clock)
    : Device(std::move(section)),
      settings_(std::move(settings)),
      clock_(std::move(clock)),
      ao_(settings_.aoCount, 0.0f),
      latches_(settings_.ports.size(), 0),
      counters_(settings_.counters),
      alarms_(settings_.alarmCount) {
    const BoardSettings& e = settings_;
    const double t = now();
    for (std::size_t i = 0; i < e.ai.size(); ++i) {
        signals_.emplace_back(e.ai[i]);
        if (e.ai[i].kind == SignalKind::Plant) plants_.emplace(i, FirstOrderPlant(e.ai[i].plant, t));
    }
    for (const auto& [chan, spec] : e.thermocouples) thermocouples_.emplace(chan, SignalGenerator(spec));
    // The outputs power up at 0 (clipped into their range), and the plants see it.
    for (std::uint16_t c = 0; c < e.aoCount; ++c) {
        ao_[c] = std::clamp(0.0f, e.aoLow, e.aoHigh);
        for (auto& [chan, plant] : plants_)
            if (settings_.ai[chan].aoChannel == c) plant.setInput(t, ao_[c]);
    }
}

std::size_t SimBoard::aiChannels() const {
    const std::size_t n = settings_.ai.size();
    return settings_.inputMode == kInputModeDifferential ? n / 2 : n;
}

const GainRange* SimBoard::gain(std::uint16_t code) const {
    for (const auto& g : simGainList())
        if (g.code == code) return &g;
    return nullptr;
}

double SimBoard::channelValue(std::size_t chan, double t) {
    if (auto it = plants_.find(chan); it != plants_.end()) return it->second.read(t);
    return signals_[chan].value(t);
}

Code SimBoard::getFeatures(DeviceFeatures& f) {
    const BoardSettings& e = settings_;
    f = DeviceFeatures{};
    f.boardName = description();
    f.aiSingleEndedChannels = static_cast<std::uint16_t>(e.ai.size());
    f.aiDifferentialChannels = static_cast<std::uint16_t>(e.ai.size() / 2);
    f.aoChannels = e.aoCount;
    f.diChannels = static_cast<std::uint16_t>(8 * e.ports.size());
    const bool writable =
        std::any_of(e.ports.begin(), e.ports.end(), [](const PortSpec& p) { return p.mode != kPortInput; });
    f.doChannels = writable ? f.diChannels : 0;
    f.counterChannels = static_cast<std::uint16_t>(e.counters.size());
    f.alarmChannels = e.alarmCount;
    f.thermocoupleChannels = static_cast<std::uint16_t>(e.thermocouples.size());
    f.dioConfigurable = !e.ports.empty();
    f.gains = e.ai.empty() ? std::vector<GainRange>{} : simGainList();
    f.aoLow = e.aoLow;
    f.aoHigh = e.aoHigh;
    return kOk;
}

Code SimBoard::aiGetConfig(AiConfig& c) {
    c = AiConfig{};
    c.inputMode = settings_.inputMode;
    c.cjcChannel = settings_.cjcChannel;
    c.channels = settings_.expansion;
    return kOk;
}

Code SimBoard::dioGetConfig(DioConfig& c) {
    c.ports.clear();
    for (const auto& p : settings_.ports) c.ports.push_back(p.mode);
    return kOk;
}

Code SimBoard::maiConfig(const PT_MAIConfig& p) {
    if (p.NumChan == 0 || p.GainArray.size() < p.NumChan) return err(DriverError::BufferTooSmall);
    if (std::size_t(p.StartChan) + p.NumChan > aiChannels()) return err(DriverError::InvalidChannel);
    // The simulated converter applies each read's own gains, so a valid
    // configuration has nothing further to set up.
    for (std::size_t i = 0; i < p.NumChan; ++i)
        if (!gain(p.GainArray[i])) return err(DriverError::InvalidGain);
    return kOk;
}

Code SimBoard::readChannels(std::uint16_t count, std::span<const std::uint16_t> chans, std::uint16_t first,
                            std::span<const std::uint16_t> gains, std::span<float> out) {
    if (count == 0 || gains.size() < count || out.size() < count || (!chans.empty() && chans.size() < count))
        return err(DriverError::BufferTooSmall);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t chan = chans.empty() ? first + i : chans[i];
        if (chan >= aiChannels()) return err(DriverError::InvalidChannel);
        if (!gain(gains[i])) return err(DriverError::InvalidGain);
    }
    std::lock_guard lock(mutex_);
    const double t = now();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t chan = chans.empty() ? first + i : chans[i];
        const GainRange* g = gain(gains[i]);
        out[i] = static_cast<float>(std::clamp(channelValue(chan, t), g->low, g->high));
    }
    return kOk;
}

Code SimBoard::maiVoltageIn(const PT_MAIVoltageIn& p) {
    return readChannels(p.NumChan, {}, p.StartChan, p.GainArray, p.VoltageArray);
}

Code SimBoard::maiVoltageInExp(const PT_MAIVoltageInExp& p) {
    if (p.MuxArray.size() < p.NumChan || p.ChanArray.size() < p.NumChan)
        return err(DriverError::BufferTooSmall);
    for (std::size_t i = 0; i < p.NumChan; ++i) {
        const AiChannelConfig& x = settings_.expansion[p.ChanArray[i] % kAiConfigEntries];
        if (x.boardType == 0) continue;
        const std::uint16_t mux = p.MuxArray[i];
        const unsigned expChan = x.boardType == kMuxBoardWithIds ? (mux & 0xF) : mux;
        const unsigned boardId = x.boardType == kMuxBoardWithIds ? (mux >> 4) : 0;
        if (expChan >= std::max<unsigned>(x.expChannels, 1) ||
            (x.boardType == kMuxBoardWithIds && boardId >= std::max<unsigned>(x.boardIds, 1)))
            return err(DriverError::InvalidExpansionChannel);
    }
    // Every position of an expansion board carries the signal of its board's channel.
    return readChannels(p.NumChan, p.ChanArray, 0, p.GainArray, p.VoltageArray);
}

Code SimBoard::tcMuxRead(const PT_TCMuxRead& p) {
    if (!p.temp) return err(DriverError::InvalidParameter);
    if (p.DasChan >= aiChannels()) return err(DriverError::InvalidChannel);
    if (p.DasGain >= simGainList().size()) return err(DriverError::InvalidGain);
    if (!validThermocouple(p.TCType)) return err(DriverError::InvalidThermocoupleType);
    if (p.TempScale > 3) return err(DriverError::InvalidTemperatureScale);
    std::lock_guard lock(mutex_);
    auto it = thermocouples_.find(p.DasChan);
    if (it == thermocouples_.end()) return err(DriverError::NoThermocouple);
    *p.temp = static_cast<float>(toScale(it->second.value(now()), p.TempScale));
    return kOk;
}

Code SimBoard::aoVoltageOut(const PT_AOVoltageOut& p) {
    if (p.chan >= ao_.size()) return err(DriverError::InvalidChannel);
    if (!std::isfinite(p.OutputValue)) return err(DriverError::InvalidParameter);
    const float v = std::clamp(p.OutputValue, settings_.aoLow, settings_.aoHigh);
    std::lock_guard lock(mutex_);
    const double t = now();
    ao_[p.chan] = v;
    for (auto& [chan, plant] : plants_)
        if (settings_.ai[chan].aoChannel == p.chan) plant.setInput(t, v);
    return kOk;
}

float SimBoard::aoValue(std::uint16_t chan) {
    std::lock_guard lock(mutex_);
    return chan < ao_.size() ? ao_[chan] : 0.0f;
}

Code SimBoard::dioReadPortByte(const PT_DioReadPortByte& p) {
    if (!p.value) return err(DriverError::InvalidParameter);
    if (p.port >= latches_.size()) return err(DriverError::InvalidPort);
    const PortSpec& spec = settings_.ports[p.port];
    std::lock_guard lock(mutex_);
    switch (spec.mode) {
        case kPortInput:
            *p.value = spec.pins;
            break;
        case kPortOutput:
            *p.value = latches_[p.port];
            break;
        default:
            *p.value = static_cast<std::uint16_t>(latches_[p.port] | spec.pins);
            break;
    }
    return kOk;
}

Code SimBoard::dioWritePortByte(const PT_DioWritePortByte& p) {
    if (p.port >= latches_.size()) return err(DriverError::InvalidPort);
    if (settings_.ports[p.port].mode == kPortInput) return err(DriverError::PortNotWritable);
    std::lock_guard lock(mutex_);
    std::uint8_t& latch = latches_[p.port];
    latch = static_cast<std::uint8_t>((latch & ~p.mask) | (p.state & p.mask));
    return kOk;
}

Code SimBoard::counterEventStart(const PT_CounterEventStart& p) {
    std::lock_guard lock(mutex_);
    return counters_.eventStart(p, now());
}

Code SimBoard::counterEventRead(const PT_CounterEventRead& p) {
    std::lock_guard lock(mutex_);
    return counters_.eventRead(p, now());
}

Code SimBoard::counterFreqStart(const PT_CounterFreqStart& p) {
    std::lock_guard lock(mutex_);
    return counters_.freqStart(p, now());
}

Code SimBoard::counterFreqRead(const PT_CounterFreqRead& p) {
    std::lock_guard lock(mutex_);
    return counters_.freqRead(p);
}

Code SimBoard::counterPulseStart(const PT_CounterPulseStart& p) {
    std::lock_guard lock(mutex_);
    return counters_.pulseStart(p, now());
}

Code SimBoard::counterReset(std::uint16_t counter) {
    std::lock_guard lock(mutex_);
    return counters_.reset(counter);
}

Code SimBoard::alarmConfig(const PT_AlarmConfig& p) {
    if (p.chan >= alarms_.size()) return err(DriverError::InvalidAlarmChannel);
    if (!std::isfinite(p.LoLimit) || !std::isfinite(p.HiLimit) || p.LoLimit > p.HiLimit)
        return err(DriverError::InvalidParameter);
    std::lock_guard lock(mutex_);
    alarms_[p.chan].low = p.LoLimit;
    alarms_[p.chan].high = p.HiLimit;
    return kOk;
}

Code SimBoard::alarmEnable(const PT_AlarmEnable& p) {
    if (p.chan >= alarms_.size()) return err(DriverError::InvalidAlarmChannel);
    std::lock_guard lock(mutex_);
    alarms_[p.chan].latch = p.LatchMode != 0;
    alarms_[p.chan].enabled = p.enabled != 0;
    return kOk;
}

Code SimBoard::alarmCheck(const PT_AlarmCheck& p) {
    if (!p.LoState || !p.HiState) return err(DriverError::InvalidParameter);
    if (p.chan >= alarms_.size()) return err(DriverError::InvalidAlarmChannel);
    std::lock_guard lock(mutex_);
    Alarm& a = alarms_[p.chan];
    if (a.enabled) {
        // The comparator sees the input as it is now; a latched state holds
        // until reset even after the input has come back.
        const double v = channelValue(p.chan, now());
        const bool low = v < a.low;
        const bool high = v > a.high;
        a.lowState = (a.latch && a.lowState) || low;
        a.highState = (a.latch && a.highState) || high;
    }
    *p.LoState = a.lowState ? 1 : 0;
    *p.HiState = a.highState ? 1 : 0;
    return kOk;
}

Code SimBoard::alarmReset(std::uint16_t chan) {
    if (chan >= alarms_.size()) return err(DriverError::InvalidAlarmChannel);
    std::lock_guard lock(mutex_);
    alarms_[chan].lowState = false;
    alarms_[chan].highState = false;
    return kOk;
}

}  // namespace kestrune
