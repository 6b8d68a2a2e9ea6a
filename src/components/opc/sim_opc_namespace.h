#pragma once
// The items of the simulated OPC server "Kestrune.Simulation":
//   Signals.Sine, .Ramp, .Square, .Random, .Constant  float waves like a board's inputs
//   Signals.Counter                                   int, whole seconds since the server started
//   Signals.BadQuality                                float whose quality is always bad
//   Plant.Input (writable) -> Plant.Output            a first-order process to control
//   Memory.*                                          writable values of every type
// Item ids are matched exactly. The namespace has its own lock.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/driver/first_order_plant.h"
#include "components/driver/signal_source.h"
#include "components/driver/sim_clock.h"
#include "components/opc/opc_client.h"
#include "components/opc/variant.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr const char* kSimOpcServerName = "Kestrune.Simulation";

class SimOpcNamespace {
  public:
    explicit SimOpcNamespace(std::shared_ptr<const SimClock> clock);

    std::vector<OpcBrowseEntry> browse() const;
    bool exists(std::string_view id) const;
    // The item's value in its own type and its quality.
    Code read(std::string_view id, Variant& value, std::uint16_t& quality);
    // Converts `value` to the item's type and stores it.
    Code write(std::string_view id, const Variant& value);
    // Overrides an item's quality (a simulated fault); false for an unknown id.
    bool setQuality(std::string_view id, std::uint16_t quality);

  private:
    struct Item {
        VarType type = VarType::R4;
        bool writable = false;
        std::uint16_t quality = 0xC0;
        Variant memory;                         // memory items
        std::optional<SignalGenerator> signal;  // signal items
    };

    Item* find(std::string_view id);
    const Item* find(std::string_view id) const;

    std::shared_ptr<const SimClock> clock_;
    mutable std::mutex mutex_;
    std::map<std::string, Item, std::less<>> items_;
    FirstOrderPlant plant_;
};

}  // namespace kestrune
