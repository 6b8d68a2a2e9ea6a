#pragma once
// The outside services that block kinds reach while they are configured and
// while they run: the device driver, the OPC client, the DDE service, the
// main thread's message queue and the run-error report's text entry. The
// application owns one BlockServices and fills it at start-up; the kinds that
// need it get it when they are registered with the factory and keep a
// reference, so a service filled in later (the DDE service starts after the
// factory is set up) is seen by every block. Any pointer may be null: the
// block then does without (no device opens, no DDE, no messages posted).
//
// The struct and the services behind it outlive every block made with them.

#include <string_view>

namespace kestrune {

class DdeService;
class DeviceDriver;
class MainQueue;
class OpcClient;

// Where start failures that are not shown in a box go: the run-error report
// takes the whole text ("message : task, description") on the main thread.
class RunErrorSink {
  public:
    virtual ~RunErrorSink() = default;
    virtual void reportRunErrorText(std::string_view text) = 0;
};

struct BlockServices {
    DeviceDriver* driver = nullptr;
    OpcClient* opc = nullptr;
    DdeService* dde = nullptr;
    MainQueue* mainQueue = nullptr;
    RunErrorSink* runErrors = nullptr;
};

}  // namespace kestrune
