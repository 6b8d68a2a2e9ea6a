#pragma once
// A simulated multifunction board: analog inputs showing the signals of the
// device list (plant channels answer the board's own analog outputs), analog
// outputs, 8-bit digital ports, counters, thermocouple inputs and hardware
// alarms on the analog inputs. All state sits behind the board's lock.

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "components/driver/device.h"
#include "components/driver/first_order_plant.h"
#include "components/driver/signal_source.h"
#include "components/driver/sim_board_settings.h"
#include "components/driver/sim_clock.h"
#include "components/driver/sim_counters.h"

namespace kestrune {

// The gain list every simulated board offers: codes 0..4.
const std::vector<GainRange>& simGainList();

class SimBoard final : public Device {
  public:
    SimBoard(DeviceSection section, BoardSettings settings, std::shared_ptr<const SimClock> clock);

    // The parser of the device type "board".
    static Status fromSection(const DeviceSection& section, std::shared_ptr<const SimClock> clock,
                              std::shared_ptr<Device>& out);

    const BoardSettings& settings() const { return settings_; }

    Code getFeatures(DeviceFeatures& f) override;
    Code aiGetConfig(AiConfig& c) override;
    Code dioGetConfig(DioConfig& c) override;

    Code maiConfig(const PT_MAIConfig& p) override;
    Code maiVoltageIn(const PT_MAIVoltageIn& p) override;
    Code maiVoltageInExp(const PT_MAIVoltageInExp& p) override;
    Code tcMuxRead(const PT_TCMuxRead& p) override;
    Code aoVoltageOut(const PT_AOVoltageOut& p) override;
    Code dioReadPortByte(const PT_DioReadPortByte& p) override;
    Code dioWritePortByte(const PT_DioWritePortByte& p) override;
    Code counterEventStart(const PT_CounterEventStart& p) override;
    Code counterEventRead(const PT_CounterEventRead& p) override;
    Code counterFreqStart(const PT_CounterFreqStart& p) override;
    Code counterFreqRead(const PT_CounterFreqRead& p) override;
    Code counterPulseStart(const PT_CounterPulseStart& p) override;
    Code counterReset(std::uint16_t counter) override;
    Code alarmConfig(const PT_AlarmConfig& p) override;
    Code alarmEnable(const PT_AlarmEnable& p) override;
    Code alarmCheck(const PT_AlarmCheck& p) override;
    Code alarmReset(std::uint16_t chan) override;

    // The last value written to an analog output (after clipping), for tests
    // and diagnostics; 0 for a channel that does not exist.
    float aoValue(std::uint16_t chan);

  private:
    struct Alarm {
        float low = 0.0f;
        float high = 5.0f;
        bool enabled = false;
        bool latch = true;
        bool lowState = false;
        bool highState = false;
    };

    double now() const { return clock_->seconds(); }
    std::size_t aiChannels() const;  // by the configured input mode
    const GainRange* gain(std::uint16_t code) const;
    double channelValue(std::size_t chan, double t);  // the board's lock held
    Code readChannels(std::uint16_t count, std::span<const std::uint16_t> chans, std::uint16_t first,
                      std::span<const std::uint16_t> gains, std::span<float> out);

    const BoardSettings settings_;
    const std::shared_ptr<const SimClock> clock_;
    std::mutex mutex_;
    std::vector<SignalGenerator> signals_;
    std::map<std::size_t, FirstOrderPlant> plants_;  // analog input channel -> its plant
    std::map<std::uint16_t, SignalGenerator> thermocouples_;
    std::vector<float> ao_;
    std::vector<std::uint8_t> latches_;
    SimCounters counters_;
    std::vector<Alarm> alarms_;
};

}  // namespace kestrune
