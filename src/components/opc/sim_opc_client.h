#pragma once
// The default OPC backend: a client talking to the simulated server of
// sim_opc_namespace.h. Each task's group keeps a cache of its items: with the
// data source "cache" the cache is refreshed from the server at most once per
// update rate, with "device" on every taskRead; the cache is then delivered
// into the items' Variants. The dead band is kept but not applied: a task's
// default of 100 % would otherwise freeze every value.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "components/driver/sim_clock.h"
#include "components/opc/opc_client.h"
#include "components/opc/sim_opc_namespace.h"

namespace kestrune {

class SimOpcClient final : public OpcClient {
  public:
    SimOpcClient();  // on the steady clock
    explicit SimOpcClient(std::shared_ptr<const SimClock> clock);

    // The server behind the client, for simulated faults (quality) and tests.
    SimOpcNamespace& server() { return server_; }

    std::vector<OpcBrowseEntry> browseItems() override;
    Code addItemToList(std::string_view taskName, std::string_view text1, std::string_view text2,
                       std::string_view blockName, std::string_view text3, std::string_view text4,
                       Variant* value, OpcItemHandle& handle) override;
    Code itemRead(OpcItemHandle handle, std::int32_t synchronous = 1) override;
    Code itemWrite(OpcItemHandle handle, std::int32_t synchronous = 1) override;
    Code itemQualityCheck(OpcItemHandle handle, int& good, std::string* text) override;
    Code addTaskToList(std::string_view taskName, const OpcServerProperties& properties,
                       OpcTaskHandle& handle) override;
    Code taskRead(OpcTaskHandle handle) override;
    Code removeAll() override;

  private:
    struct Item {
        OpcTaskHandle task = 0;
        std::string id;
        std::string blockName;
        Variant* value = nullptr;
        VarType requested = VarType::Empty;
        Variant cache;
        std::uint16_t quality = 0;
    };
    struct Group {
        std::string name;
        OpcServerProperties properties;
        bool refreshed = false;
        double lastRefresh = 0.0;
    };

    void refresh(Item& item);                           // lock held
    OpcTaskHandle groupFor(std::string_view taskName);  // lock held

    std::shared_ptr<const SimClock> clock_;
    SimOpcNamespace server_;

    std::mutex mutex_;  // guards the members below
    std::map<OpcTaskHandle, Group> groups_;
    std::map<OpcItemHandle, Item> items_;
    OpcTaskHandle nextTask_ = 1;
    OpcItemHandle nextItem_ = 1;
};

}  // namespace kestrune
