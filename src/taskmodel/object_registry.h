#pragma once
// The registry of every live graph object of one open strategy: blocks, wires,
// display items and task objects. It hands out the ids (unique in the
// strategy, 0 meaning "none") and the per-kind instance numbers used in
// default names, resolves stored ids, and carries the strategy's "modified"
// flag, which every registration and removal sets.
//
// There is one registry per strategy, passed to every object's constructor,
// so two strategies (or two tests) never share ids. Objects register
// themselves on construction and leave on destruction; the registry must
// outlive them.
//
// Objects are kept in registration order. FindObject runs on every run start
// and every reference, so ids are also indexed by hash. Should a stored id
// occur twice (a damaged file), FindObject answers the object registered
// first, as a walk from the head would. Every new block asks for the next
// instance number of its kind, so the numbers in use are kept per kind too;
// GraphObject reports every change of its number.
//
// The registry's own structures are guarded by a lock, so FindObject may be
// called from any thread; keeping the found object alive is the caller's
// business (the run gate).

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "taskmodel/instance_numbers.h"

namespace kestrune {

class GraphObject;
class Node;

class ObjectRegistry {
  public:
    ObjectRegistry() = default;
    ObjectRegistry(const ObjectRegistry&) = delete;
    ObjectRegistry& operator=(const ObjectRegistry&) = delete;
    ~ObjectRegistry() = default;

    // One more than the largest id in use; 1 when empty. Should the largest id
    // be 65535 already, the lowest unused id instead (0 only when every id is taken).
    std::uint16_t NextObjectId() const;
    // The lowest positive instance number that no object of `kind` uses.
    std::uint16_t NextInstanceNumber(std::int32_t kind) const;
    // The object with that id, or nullptr (also for 0 and ids beyond 16 bits).
    GraphObject* FindObject(std::uint32_t id) const;
    // FindObject, when the object is a node.
    Node* FindNode(std::uint32_t id) const;

    std::size_t size() const;
    // Every object in registration order.
    std::vector<GraphObject*> objects() const;

    bool modified() const { return modified_.load(std::memory_order_relaxed); }
    void setModified(bool modified) { modified_.store(modified, std::memory_order_relaxed); }

  private:
    friend class GraphObject;
    // Called by GraphObject only.
    // Registers at the tail under a new id and returns that id.
    std::uint16_t add(GraphObject& object);
    void remove(GraphObject& object);
    void changeId(GraphObject& object, std::uint16_t oldId, std::uint16_t newId);
    void changeInstanceNumber(GraphObject& object, std::uint16_t oldNumber, std::uint16_t newNumber);

    struct Entry {
        std::list<GraphObject*>::iterator position;
        std::uint64_t sequence;
    };
    struct IdHolder {
        std::uint64_t sequence;
        GraphObject* object;
    };

    std::uint16_t nextIdLocked() const;
    void indexId(std::uint16_t id, std::uint64_t sequence, GraphObject* object);
    void unindexId(std::uint16_t id, const GraphObject* object);

    mutable std::mutex lock_;
    std::list<GraphObject*> order_;
    std::unordered_map<const GraphObject*, Entry> entries_;
    // Holders of each id, in registration order (more than one only in damaged files).
    std::unordered_map<std::uint16_t, std::vector<IdHolder>> byId_;
    // How many objects hold each id, ordered, for the largest id.
    std::map<std::uint16_t, std::uint32_t> idCounts_;
    // The instance numbers held, per kind.
    std::unordered_map<std::int32_t, InstanceNumbers> instances_;
    std::uint64_t nextSequence_ = 0;
    std::atomic<bool> modified_{false};
};

}  // namespace kestrune
