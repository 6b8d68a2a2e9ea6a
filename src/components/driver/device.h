#pragma once
// One device of the device list, whatever its type (a simulated board, a
// COM port, a device on a field bus). The driver resolves a handle to its
// device and calls the operation here; an operation the device's type does
// not have answers DriverError::FunctionNotSupported, so a type overrides
// only what it offers.
//
// A device is made when the list is read and lives on while closed: making
// one must not touch the outside world, that is what open is for. Every
// method may be called from several task threads at once; each device guards
// its own state with its own lock, so tasks working on different devices
// never wait for each other.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "components/driver/device_section.h"
#include "components/driver/driver_params.h"
#include "platform/status.h"

namespace kestrune {

class Device {
  public:
    virtual ~Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const DeviceSection& section() const { return section_; }
    std::int32_t number() const { return section_.number; }
    std::uint8_t kind() const { return section_.kind; }
    const std::string& description() const { return section_.description; }

    // Called for every handle opened on the device and every handle closed
    // again; a device holding a connection counts them. A failed open gives
    // the caller no handle.
    virtual Code open() { return kOk; }
    virtual void close() {}

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
    explicit Device(DeviceSection section) : section_(std::move(section)) {}

  private:
    DeviceSection section_;
};

}  // namespace kestrune
