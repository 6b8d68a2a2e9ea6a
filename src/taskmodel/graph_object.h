#pragma once
// Root of everything drawn in a task or display: blocks, wires, display items
// and task objects. Each carries an id unique in its strategy, a kind code, an
// instance number for its default name, editing flags, the result of its last
// hit test, its owner task and the four-character tag that opens its record in
// the strategy file. Construction registers the object in its strategy's
// ObjectRegistry under a new id; destruction removes it.

#include <cstdint>

#include "platform/binary_stream.h"
#include "platform/status.h"

namespace kestrune {

class Canvas;
class Node;
class ObjectRegistry;
class ScanTask;

// Kind codes.
inline constexpr std::int16_t kWireKind = 1;
inline constexpr std::int16_t kTaskKind = 298;
inline constexpr std::int16_t kUserToolKind = 300;
constexpr bool isBlockKind(std::int32_t kind) {
    return kind >= 11 && kind <= 398;
}
constexpr bool isDisplayItemKind(std::int32_t kind) {
    return kind >= 401 && kind <= 498;
}

// Bits of the flags word.
inline constexpr std::uint16_t kFlagSelected = 0x1;
inline constexpr std::uint16_t kFlagMoving = 0x2;  // being moved or resized
inline constexpr std::uint16_t kFlagBlock = 0x4;   // set on every block at creation

// Instance numbers from here on mark clipboard copies, which publish no tags.
inline constexpr std::uint16_t kCopyInstanceBase = 10000;

// Record loaders report damage with this code and say where in the context.
inline constexpr Code kRecordLoadError = 32910;

// Stored geometry (block boxes, wire points and anchors) lies within this of
// the origin; a record with a coordinate beyond it is damaged and refused, so
// that the drawing arithmetic on what was loaded stays far from overflow.
inline constexpr int kMaxStoredCoordinate = 1'000'000;
constexpr bool isStoredCoordinate(std::int64_t v) {
    return v >= -kMaxStoredCoordinate && v <= kMaxStoredCoordinate;
}

class GraphObject {
  public:
    GraphObject(ObjectRegistry& registry, std::int16_t kind, FourCC fileTag = {});
    virtual ~GraphObject();
    GraphObject(const GraphObject&) = delete;
    GraphObject& operator=(const GraphObject&) = delete;

    // The root part of the record: id (32 bit), kind (16 bit), instance number
    // (16 bit). Load takes the id and the instance number; the kind stays as
    // the constructor set it.
    virtual Status Load(BinaryReader& in, int fileVersion);
    virtual Status Save(BinaryWriter& out) const;
    // Copies configuration into another object of the same kind (duplicate, paste).
    virtual void CopyTo(GraphObject& other) const = 0;
    virtual void Draw(Canvas& dc) = 0;
    virtual void Invalidate(Canvas& dc) = 0;

    virtual Node* asNode() { return nullptr; }
    virtual const Node* asNode() const { return nullptr; }

    ObjectRegistry& registry() const { return registry_; }

    std::uint16_t id() const { return id_; }
    // Takes a stored id (loading); the registry follows.
    void setId(std::uint16_t id);
    std::int16_t kind() const { return kind_; }
    bool isWire() const { return kind_ == kWireKind; }
    std::uint16_t instanceNumber() const { return instance_; }
    // The registry follows, so that NextInstanceNumber sees the number taken.
    void setInstanceNumber(std::uint16_t n);

    std::uint16_t flags() const { return flags_; }
    bool hasFlag(std::uint16_t bit) const { return (flags_ & bit) != 0; }
    void setFlag(std::uint16_t bit, bool on = true) {
        flags_ = static_cast<std::uint16_t>(on ? flags_ | bit : flags_ & ~bit);
    }
    std::int32_t hitCode() const { return hitCode_; }
    void setHitCode(std::int32_t code) { hitCode_ = code; }

    ScanTask* owner() const { return owner_; }
    void setOwner(ScanTask* task) { owner_ = task; }

    const FourCC& fileTag() const { return fileTag_; }
    void setFileTag(const FourCC& tag) { fileTag_ = tag; }

    // Size of the root part in a record.
    static constexpr std::size_t kRootPartSize = 8;

  private:
    ObjectRegistry& registry_;
    std::uint16_t instance_ = 0;
    std::uint16_t id_ = 0;
    std::int16_t kind_;
    std::uint16_t flags_ = 0;
    std::int32_t hitCode_ = 0;
    ScanTask* owner_ = nullptr;
    FourCC fileTag_;
};

}  // namespace kestrune
