#pragma once
// A drawn wire: a connection with the polyline the task designer shows (at
// most 8 points in task-view coordinates, point 0 on the source box and the
// last on the target box) and the offsets of its two ends from the boxes'
// top-left corners, which re-routing uses when a box moves.
//
// A wire sits in its source's outgoing list and its target's incoming list
// while attached; it is owned by the task's object list. Destroying a wire
// takes it out of both lists; a node that goes first leaves its end empty.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/geometry.h"
#include "taskmodel/connection.h"

namespace kestrune {

struct ConnectRequest;

class Wire : public Connection {
  public:
    static constexpr std::size_t kMaxPoints = 8;
    static constexpr FourCC kFileTag = {'S', 'E', 'G', 'L'};

    explicit Wire(ObjectRegistry& registry);
    // A wire for an accepted request (not attached yet).
    Wire(ObjectRegistry& registry, const ConnectRequest& request);
    ~Wire() override;

    // Reads the record after its tag: the length, the root and connection
    // parts, the points and the anchors, then attaches to both ends when both
    // exist. A record longer than this reads is skipped to its end.
    Status Load(BinaryReader& in, int fileVersion) override;
    // Writes the whole record: tag, length, body.
    Status Save(BinaryWriter& out) const override;
    // Painting belongs to the task designer's drawing code.
    void Draw(Canvas& dc) override {}
    void Invalidate(Canvas& dc) override {}

    // Puts the wire into its source's outgoing and its target's incoming list.
    void attach();
    // Takes it out of both lists.
    void detach();
    // `node` is going away: the end it held becomes empty.
    void forgetNode(const Node& node) { forgetEnd(node); }

    std::span<const Point> points() const { return {points_.data(), pointCount_}; }
    // Keeps at most kMaxPoints.
    void setPoints(std::span<const Point> points);
    Point sourceAnchor() const { return sourceAnchor_; }
    Point targetAnchor() const { return targetAnchor_; }
    void setAnchors(Point source, Point target) {
        sourceAnchor_ = source;
        targetAnchor_ = target;
    }

  private:
    Status loadBody(BinaryReader& in, int fileVersion);
    // The first point or anchor beyond kMaxStoredCoordinate, if any.
    std::optional<Point> pointOutOfRange() const;

    std::uint32_t pointCount_ = 0;
    std::array<Point, kMaxPoints> points_{};
    Point sourceAnchor_;
    Point targetAnchor_;
};

}  // namespace kestrune
