#include "taskmodel/graph_object.h"

#include <string>

#include "taskmodel/object_registry.h"

namespace kestrune {

GraphObject::GraphObject(ObjectRegistry& registry, std::int16_t kind, FourCC fileTag)
    : registry_(registry), kind_(kind), fileTag_(fileTag) {
    id_ = registry_.add(*this);
}

GraphObject::~GraphObject() {
    registry_.remove(*this);
}

void GraphObject::setId(std::uint16_t id) {
    if (id == id_) return;
    const std::uint16_t old = id_;
    id_ = id;
    registry_.changeId(*this, old, id);
}

void GraphObject::setInstanceNumber(std::uint16_t n) {
    if (n == instance_) return;
    const std::uint16_t old = instance_;
    instance_ = n;
    registry_.changeInstanceNumber(*this, old, n);
}

Status GraphObject::Load(BinaryReader& in, int /*fileVersion*/) {
    const std::size_t start = in.position();
    const std::uint32_t storedId = in.u32();
    in.skip(2);  // kind: fixed by the constructor
    const std::uint16_t instance = in.u16();
    if (in.failed()) {
        return {kRecordLoadError, "object header at byte " + std::to_string(start) + " is cut short"};
    }
    // The writer zero-extends a 16-bit id; anything wider is damage, and
    // taking its low bits would silently alias another object.
    if (storedId > 0xFFFF) {
        return {kRecordLoadError, "object id " + std::to_string(storedId) + " at byte " +
                                      std::to_string(start) + " is out of range"};
    }
    setId(static_cast<std::uint16_t>(storedId));
    setInstanceNumber(instance);
    return {};
}

Status GraphObject::Save(BinaryWriter& out) const {
    out.u32(id_);
    out.i16(kind_);
    out.u16(instance_);
    return {};
}

}  // namespace kestrune
