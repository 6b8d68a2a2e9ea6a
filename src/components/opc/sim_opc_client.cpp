#include "components/opc/sim_opc_client.h"

#include <cctype>
#include <cmath>

#include "components/opc/opc_codes.h"

namespace kestrune {
namespace {

bool validProperties(const OpcServerProperties& p) {
    return p.readMode <= 1 && p.dataSource <= 1 && p.updateRate <= 10000000u && std::isfinite(p.deadBand) &&
           p.deadBand >= 0.0f && p.deadBand <= 100.0f;
}

bool sameServer(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

SimOpcClient::SimOpcClient() : SimOpcClient(std::make_shared<SteadySimClock>()) {}

SimOpcClient::SimOpcClient(std::shared_ptr<const SimClock> clock)
    : clock_(clock), server_(std::move(clock)) {}

std::vector<OpcBrowseEntry> SimOpcClient::browseItems() {
    return server_.browse();
}

void SimOpcClient::refresh(Item& item) {
    Variant v;
    std::uint16_t quality = kQualityBad;
    if (server_.read(item.id, v, quality) != kOk) {
        item.quality = kQualityNotConnected;
        return;
    }
    if (item.requested != VarType::Empty && !v.changeType(item.requested)) {
        // The value exists but not in the type the block asked for.
        item.quality = kQualityBad | 0x04;
        return;
    }
    item.cache = std::move(v);
    item.quality = quality;
}

OpcTaskHandle SimOpcClient::groupFor(std::string_view taskName) {
    for (const auto& [handle, g] : groups_)
        if (g.name == taskName) return handle;
    const OpcTaskHandle handle = nextTask_++;
    groups_.emplace(handle, Group{std::string(taskName), OpcServerProperties{}, false, 0.0});
    return handle;
}

Code SimOpcClient::addTaskToList(std::string_view taskName, const OpcServerProperties& properties,
                                 OpcTaskHandle& handle) {
    handle = 0;
    if (taskName.empty() || !validProperties(properties)) return opcCode(OpcError::InvalidParameter);
    std::lock_guard lock(mutex_);
    handle = groupFor(taskName);
    Group& g = groups_[handle];
    g.properties = properties;
    g.refreshed = false;
    return kOk;
}

Code SimOpcClient::addItemToList(std::string_view taskName, std::string_view, std::string_view server,
                                 std::string_view blockName, std::string_view itemId, std::string_view,
                                 Variant* value, OpcItemHandle& handle) {
    handle = 0;
    if (!value || taskName.empty()) return opcCode(OpcError::InvalidParameter);
    if (!sameServer(server, kSimOpcServerName)) return opcCode(OpcError::ServerNotFound);
    if (!server_.exists(itemId)) return opcCode(OpcError::ItemNotFound);
    std::lock_guard lock(mutex_);
    Item item;
    item.task = groupFor(taskName);
    item.id = std::string(itemId);
    item.blockName = std::string(blockName);
    item.value = value;
    item.requested = value->type();
    refresh(item);
    if (qualityIsGood(item.quality) || !item.cache.empty()) *value = item.cache;
    handle = nextItem_++;
    items_.emplace(handle, std::move(item));
    return kOk;
}

Code SimOpcClient::itemRead(OpcItemHandle handle, std::int32_t) {
    std::lock_guard lock(mutex_);
    auto it = items_.find(handle);
    if (it == items_.end()) return opcCode(OpcError::InvalidItemHandle);
    refresh(it->second);
    *it->second.value = it->second.cache;
    return kOk;
}

Code SimOpcClient::itemWrite(OpcItemHandle handle, std::int32_t) {
    std::lock_guard lock(mutex_);
    auto it = items_.find(handle);
    if (it == items_.end()) return opcCode(OpcError::InvalidItemHandle);
    const Code rc = server_.write(it->second.id, *it->second.value);
    // The group's cache follows the write, so the next delivery does not hand
    // the block the value it has just replaced.
    if (rc == kOk) refresh(it->second);
    return rc;
}

Code SimOpcClient::itemQualityCheck(OpcItemHandle handle, int& good, std::string* text) {
    good = 0;
    std::lock_guard lock(mutex_);
    auto it = items_.find(handle);
    if (it == items_.end()) {
        if (text) *text = opcErrorText(opcCode(OpcError::InvalidItemHandle));
        return opcCode(OpcError::InvalidItemHandle);
    }
    const Item& item = it->second;
    good = qualityIsGood(item.quality) ? 1 : 0;
    if (text) {
        *text = "OPC item " + item.id;
        if (!item.blockName.empty()) *text += " of " + item.blockName;
        *text += ": quality " + qualityText(item.quality);
    }
    return kOk;
}

Code SimOpcClient::taskRead(OpcTaskHandle handle) {
    std::lock_guard lock(mutex_);
    auto g = groups_.find(handle);
    if (g == groups_.end()) return opcCode(OpcError::InvalidTaskHandle);
    Group& group = g->second;
    const double now = clock_->seconds();
    const bool due = group.properties.dataSource == 1 || !group.refreshed ||
                     now - group.lastRefresh >= group.properties.updateRate / 1000.0;
    if (due) {
        group.refreshed = true;
        group.lastRefresh = now;
    }
    for (auto& [h, item] : items_) {
        if (item.task != handle) continue;
        if (due) refresh(item);
        *item.value = item.cache;
    }
    return kOk;
}

Code SimOpcClient::removeAll() {
    std::lock_guard lock(mutex_);
    groups_.clear();
    items_.clear();
    return kOk;
}

}  // namespace kestrune
