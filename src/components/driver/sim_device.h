#pragma once
// One simulated device of the device list. The driver resolves a handle to
// its device and calls the operation here; an operation the device does not
// have answers DriverError::FunctionNotSupported. Each device guards its own
// state with its own lock, so tasks working on different devices never wait
// for each other.

#include <memory>
#include <span>
#include <string_view>

#include "components/driver/device_list.h"
#include "components/driver/driver_params.h"
#include "components/driver/sim_clock.h"
#include "platform/status.h"

namespace kestrune {

class SimDevice {
  public:
    virtual ~SimDevice() = default;
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    const DeviceEntry& entry() const { return entry_; }

    virtual Code getFeatures(DeviceFeatures& f);
    virtual Code aiGetConfig(AiConfig& c);
    virtual Code dioGetConfig(DioConfig& c);

    virtual Code maiConfig(const PT_MAIConfig& p);
    virtual Code maiVoltageIn(const PT_MAIVoltageIn& p);
    virtual Code maiVoltageInExp(const PT_MAIVoltageInExp& p);
    virtual Code tcMuxRead(const PT_TCMuxRead& p);
    virtual Code aoVoltageOut(const PT_AOVoltageOut& p);
    virtual Code dioReadPortByte(const PT_DioReadPortByte& p);
    virtual Code dioWritePortByte(const PT_DioWritePortByte& p);
    virtual Code counterEventStart(const PT_CounterEventStart& p);
    virtual Code counterEventRead(const PT_CounterEventRead& p);
    virtual Code counterFreqStart(const PT_CounterFreqStart& p);
    virtual Code counterFreqRead(const PT_CounterFreqRead& p);
    virtual Code counterPulseStart(const PT_CounterPulseStart& p);
    virtual Code counterReset(std::uint16_t counter);
    virtual Code alarmConfig(const PT_AlarmConfig& p);
    virtual Code alarmEnable(const PT_AlarmEnable& p);
    virtual Code alarmCheck(const PT_AlarmCheck& p);
    virtual Code alarmReset(std::uint16_t chan);
    virtual Code comRead(std::span<char> buffer, std::uint32_t size, std::uint32_t waitMs,
                         std::uint16_t finalChar, std::uint32_t& count);
    virtual Code comWrite(std::string_view data);
    virtual Code comEscape(std::int32_t escape);

  protected:
    SimDevice(DeviceEntry entry, std::shared_ptr<const SimClock> clock)
        : entry_(std::move(entry)), clock_(std::move(clock)) {}

    double now() const { return clock_->seconds(); }

  private:
    DeviceEntry entry_;
    std::shared_ptr<const SimClock> clock_;
};

// The device an entry describes.
std::shared_ptr<SimDevice> makeSimDevice(const DeviceEntry& entry, std::shared_ptr<const SimClock> clock);

}  // namespace kestrune
