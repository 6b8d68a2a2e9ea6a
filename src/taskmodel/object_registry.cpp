#include "taskmodel/object_registry.h"

#include <algorithm>

#include "taskmodel/graph_object.h"
#include "taskmodel/node.h"

namespace kestrune {

std::uint16_t ObjectRegistry::nextIdLocked() const {
    if (idCounts_.empty()) return 1;
    const std::uint16_t largest = idCounts_.rbegin()->first;
    if (largest < 0xFFFF) return static_cast<std::uint16_t>(largest + 1);
    // Wrapping to 0 would hand out "none"; take the lowest free id instead.
    std::uint32_t candidate = 1;
    for (const auto& [id, count] : idCounts_) {
        if (id == 0) continue;
        if (id != candidate) break;
        ++candidate;
    }
    return candidate <= 0xFFFF ? static_cast<std::uint16_t>(candidate) : 0;
}

std::uint16_t ObjectRegistry::NextObjectId() const {
    std::lock_guard guard(lock_);
    return nextIdLocked();
}

std::uint16_t ObjectRegistry::NextInstanceNumber(std::int32_t kind) const {
    std::lock_guard guard(lock_);
    const auto it = instances_.find(kind);
    return it != instances_.end() ? it->second.lowestFree() : 1;
}

GraphObject* ObjectRegistry::FindObject(std::uint32_t id) const {
    if (id == 0 || id > 0xFFFF) return nullptr;
    std::lock_guard guard(lock_);
    const auto it = byId_.find(static_cast<std::uint16_t>(id));
    if (it == byId_.end() || it->second.empty()) return nullptr;
    return it->second.front().object;
}

Node* ObjectRegistry::FindNode(std::uint32_t id) const {
    GraphObject* object = FindObject(id);
    return object != nullptr ? object->asNode() : nullptr;
}

std::size_t ObjectRegistry::size() const {
    std::lock_guard guard(lock_);
    return order_.size();
}

std::vector<GraphObject*> ObjectRegistry::objects() const {
    std::lock_guard guard(lock_);
    return {order_.begin(), order_.end()};
}

std::uint16_t ObjectRegistry::add(GraphObject& object) {
    std::lock_guard guard(lock_);
    const std::uint16_t id = nextIdLocked();
    const std::uint64_t sequence = nextSequence_++;
    order_.push_back(&object);
    entries_[&object] = Entry{std::prev(order_.end()), sequence};
    indexId(id, sequence, &object);
    modified_.store(true, std::memory_order_relaxed);
    return id;
}

void ObjectRegistry::remove(GraphObject& object) {
    std::lock_guard guard(lock_);
    const auto it = entries_.find(&object);
    if (it == entries_.end()) return;
    order_.erase(it->second.position);
    entries_.erase(it);
    unindexId(object.id(), &object);
    if (const auto numbers = instances_.find(object.kind()); numbers != instances_.end()) {
        numbers->second.remove(object.instanceNumber());
        if (numbers->second.empty()) instances_.erase(numbers);
    }
    modified_.store(true, std::memory_order_relaxed);
}

void ObjectRegistry::changeId(GraphObject& object, std::uint16_t oldId, std::uint16_t newId) {
    std::lock_guard guard(lock_);
    const auto it = entries_.find(&object);
    if (it == entries_.end()) return;
    unindexId(oldId, &object);
    indexId(newId, it->second.sequence, &object);
}

void ObjectRegistry::changeInstanceNumber(GraphObject& object, std::uint16_t oldNumber,
                                          std::uint16_t newNumber) {
    std::lock_guard guard(lock_);
    if (!entries_.contains(&object)) return;
    InstanceNumbers& numbers = instances_[object.kind()];
    numbers.remove(oldNumber);
    numbers.add(newNumber);
    if (numbers.empty()) instances_.erase(object.kind());
}

void ObjectRegistry::indexId(std::uint16_t id, std::uint64_t sequence, GraphObject* object) {
    ++idCounts_[id];
    auto& holders = byId_[id];
    const auto at = std::find_if(holders.begin(), holders.end(),
                                 [sequence](const IdHolder& h) { return h.sequence > sequence; });
    holders.insert(at, IdHolder{sequence, object});
}

void ObjectRegistry::unindexId(std::uint16_t id, const GraphObject* object) {
    const auto holders = byId_.find(id);
    if (holders == byId_.end()) return;
    auto& list = holders->second;
    const auto at =
        std::find_if(list.begin(), list.end(), [object](const IdHolder& h) { return h.object == object; });
    if (at == list.end()) return;
    list.erase(at);
    if (list.empty()) byId_.erase(holders);
    const auto count = idCounts_.find(id);
    if (count != idCounts_.end() && --count->second == 0) idCounts_.erase(count);
}

}  // namespace kestrune
