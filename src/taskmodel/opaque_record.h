#pragma once
// A record of a task section that no class of this program reads: a block
// kind nobody registered, or a tag nothing knows. It is kept whole and saved
// in its place among the task's objects, so that opening and saving a
// strategy never loses what a later version (or another build) put there.
//
// As far as its bytes allow, the node part at its start is read as every
// node's is (id, kind, instance number, port tables, order number and
// consumers, laid out as the file version has them). So its id and its order
// number stay taken and no new object takes them, wires find it by its id
// and keep their ends, and the task's order numbers close up around it as
// around any node. When the whole node part could be read, a save writes the
// node part as it stands (an order number moved down, an input emptied
// because its source went) in the current layout and the rest of the record
// as it was read; a record nothing touched comes back byte for byte. When it
// could not, the record is written back exactly as read.
//
// It cannot run: validation refuses it with a message naming the kind, and
// so does Start. The task designer neither draws it nor hits it, and it
// accepts no new wires.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "taskmodel/node.h"

namespace kestrune {

// The kind an opaque record goes by when its stored kind is not a block kind
// (kept apart from wires and task objects, which the code treats specially).
inline constexpr std::int16_t kUnknownKind = 0;

class OpaqueRecord final : public Node {
  public:
    // Reads the record after its tag. Null, with the reader failed and the
    // framing problem in `framing`, when its length does not fit the data;
    // otherwise the reader is at the record's end.
    static std::unique_ptr<OpaqueRecord> Read(BinaryReader& in, const FourCC& tag, const NodeContext& context,
                                              int fileVersion, Status& framing);
    ~OpaqueRecord() override;

    // The kind the record names (0 when too short to name one).
    std::int16_t storedKind() const { return storedKind_; }
    // Whether the node part was read (and the id, order and ports are the record's).
    bool nodePartRead() const { return nodePartRead_; }
    // The record as a save writes it, without its tag and length.
    std::vector<std::uint8_t> body() const;

    Status Save(BinaryWriter& out) const override;
    void Draw(Canvas&) override {}
    void Invalidate(Canvas&) override {}
    void DrawHandles(Canvas&) override {}
    void InvalidateArea(Canvas&) override {}
    void MoveTo(const Rect&) override {}
    void EndMove(Canvas&) override {}
    int HitTest(int, int) override;
    void ExtendBounds(Rect&) const override {}
    bool Intersects(const Rect&) const override { return false; }
    bool IsInside(const Rect&) const override { return false; }
    void TrackRect(ResizeTracker&) const override {}
    void Configure() override {}
    Code Validate() override;
    Code Start() override;
    Code ConnectFrom(ConnectRequest& request) override;
    Code ConnectTo(ConnectRequest& request) override;

  private:
    OpaqueRecord(const NodeContext& context, std::int16_t storedKind, const FourCC& tag,
                 std::vector<std::uint8_t> body);
    void readNodePart(int fileVersion);
    void writeBody(BinaryWriter& out) const;

    std::vector<std::uint8_t> body_;
    std::int16_t storedKind_;
    bool nodePartRead_ = false;
    std::size_t nodePartEnd_ = 0;
};

}  // namespace kestrune
