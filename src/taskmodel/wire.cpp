#include "taskmodel/wire.h"

#include <algorithm>
#include <optional>
#include <string>

#include "taskmodel/connect_request.h"
#include "taskmodel/node.h"
#include "taskmodel/object_record.h"

namespace kestrune {

Wire::Wire(ObjectRegistry& registry) : Connection(registry, kWireKind, kFileTag) {}

Wire::Wire(ObjectRegistry& registry, const ConnectRequest& request) : Wire(registry) {
    setEnds(request.source, static_cast<std::uint16_t>(request.sourceOutput), request.target,
            static_cast<std::uint16_t>(request.targetInput));
}

Wire::~Wire() {
    detach();
}

void Wire::attach() {
    if (source() != nullptr && !source()->outgoingWires().Contains(this))
        source()->outgoingWires().AddTail(this);
    if (target() != nullptr && !target()->incomingWires().Contains(this))
        target()->incomingWires().AddTail(this);
}

void Wire::detach() {
    if (source() != nullptr) source()->outgoingWires().Remove(this);
    if (target() != nullptr) target()->incomingWires().Remove(this);
}

void Wire::setPoints(std::span<const Point> points) {
    pointCount_ = static_cast<std::uint32_t>(std::min(points.size(), kMaxPoints));
    std::copy_n(points.begin(), pointCount_, points_.begin());
}

Status Wire::Save(BinaryWriter& out) const {
    RecordWriter record(out, fileTag());
    GraphObject::Save(out);
    saveConnection(out);
    out.u32(pointCount_);
    for (std::uint32_t i = 0; i < pointCount_; ++i) {
        out.i32(points_[i].x);
        out.i32(points_[i].y);
    }
    out.i32(sourceAnchor_.x);
    out.i32(sourceAnchor_.y);
    out.i32(targetAnchor_.x);
    out.i32(targetAnchor_.y);
    return record.finish();
}

Status Wire::Load(BinaryReader& in, int fileVersion) {
    detach();
    RecordReader record(in, fileTag());
    Status body = loadBody(in, fileVersion);
    body = record.finish(body);
    if (body) {
        attach();
    } else {
        // An end that is not in its node's list must not be held either: the
        // node would not tell this wire when it goes away.
        setEnds(nullptr, sourceOutput(), nullptr, targetInput());
    }
    return body;
}

std::optional<Point> Wire::pointOutOfRange() const {
    const auto inRange = [](const Point& p) { return isStoredCoordinate(p.x) && isStoredCoordinate(p.y); };
    for (const Point& p : points()) {
        if (!inRange(p)) return p;
    }
    for (const Point& p : {sourceAnchor_, targetAnchor_}) {
        if (!inRange(p)) return p;
    }
    return std::nullopt;
}

Status Wire::loadBody(BinaryReader& in, int fileVersion) {
    if (Status s = GraphObject::Load(in, fileVersion); !s) return s;
    // A missing end is reported after the geometry is read, so the wire
    // still shows where it ran.
    const Status ends = loadConnection(in, fileVersion);
    if (in.failed()) return ends;
    const std::uint32_t count = in.u32();
    if (!in.failed() && count > kMaxPoints) {
        return {kRecordLoadError,
                "wire " + std::to_string(id()) + " has " + std::to_string(count) + " points"};
    }
    for (std::uint32_t i = 0; i < count && !in.failed(); ++i) {
        points_[i].x = in.i32();
        points_[i].y = in.i32();
    }
    pointCount_ = in.failed() ? 0 : count;
    sourceAnchor_.x = in.i32();
    sourceAnchor_.y = in.i32();
    targetAnchor_.x = in.i32();
    targetAnchor_.y = in.i32();
    // Damaged geometry is not kept, also when the record ran out: the wire
    // may stay in its task after the load error, and would be drawn and saved.
    if (const std::optional<Point> bad = pointOutOfRange(); bad) {
        const std::string at = std::to_string(bad->x) + ", " + std::to_string(bad->y);
        pointCount_ = 0;
        sourceAnchor_ = {};
        targetAnchor_ = {};
        return {kRecordLoadError, "wire " + std::to_string(id()) + " has a point out of range (" + at + ")"};
    }
    return ends;
}

}  // namespace kestrune
