#pragma once
// A node that sits in a task: an icon box on the task designer's canvas, a
// name that is also its tag name, a caption under the box, an execution
// order number and a record in the strategy file. Block does everything the
// kinds share; a kind sets up its ports and values in its constructor and
// overrides the hooks below.
//
// Construction takes the kind's default name and caption ("PID3") from the
// block catalogue, an order number from the task when the block is live, and
// publishes the catalogue's tag when the kind has a fixed one. Destruction
// withdraws the tag and gives the order number back.
//
// Writing a kind:
//
//   class GainBlock : public Block {
//     public:
//       explicit GainBlock(const NodeContext& c) : Block(c, kCalculationKind) {
//           setInputPorts({{0, 0, kMaskNumber, 0}});
//           setOutputPorts({{kTypeFloat, 0}});
//           createOutputValues();
//       }
//       Code Scan() override {
//           if (!isRunning()) return kOk;
//           outputValue(0)->setFloat(readFloat(0).value_or(0.0f) * gain_);
//           return publishValue();
//       }
//       Code Validate() override { return requireInputs({0}); }
//       PropertySet properties() override { return table().bind(*this); }
//     protected:
//       Status LoadPayload(BinaryReader& in, int, const RecordReader&) override {
//           gain_ = in.f32();
//           return {};
//       }
//       Status SavePayload(BinaryWriter& out) const override {
//           out.f32(gain_);
//           return {};
//       }
//     private:
//       float gain_ = 1.0f;
//       static const PropertyTable<GainBlock>& table();  // addCommonProperties(t), then its own
//   };
//
// Threads: everything but Scan, the input readers and publishValue runs on
// the user-interface thread. Start caches what the scan reads before the
// task thread starts; Stop drains the run gate before it lets go of them.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log_font.h"
#include "properties/property_table.h"
#include "resources/message_box.h"
#include "taskmodel/node.h"
#include "taskmodel/object_record.h"
#include "taskmodel/tag_publication.h"

namespace kestrune {

class TaskGraph;

class Block : public Node {
  public:
    static constexpr std::size_t kMaxCaptionLength = 31;

    // The caption sits under the box, 20 units wider on each side. Edges that
    // would pass the int range stop at its end.
    static constexpr Rect CaptionRectFor(const Rect& box) {
        return {offsetEdge(box.left, -20), offsetEdge(box.bottom, 1), offsetEdge(box.right, 20),
                offsetEdge(box.bottom, 27)};
    }

    Block(const NodeContext& context, std::int16_t kind);
    ~Block() override;

    // ---- Node operations ----
    // The whole record after its file tag: the length, the block common part
    // (node part, box, name, caption), the kind's payload; a longer record is
    // skipped to its end, a shorter one is an error with where it stopped.
    // The tag is withdrawn first and published again under the loaded name.
    Status Load(BinaryReader& in, int fileVersion) override;
    // The whole record: file tag, length, common part, payload.
    Status Save(BinaryWriter& out) const override;
    // The base copies the caption when the user changed it from the default
    // (a caption equal to the name follows the copy's own name).
    void CopyTo(GraphObject& other) const override;
    // The icon at the box, the order number when the view shows them, the
    // handles when selected and not moving.
    void Draw(Canvas& dc) override;
    void Invalidate(Canvas& dc) override;
    void DrawHandles(Canvas& dc) override;
    void InvalidateArea(Canvas& dc) override;
    void DrawFrame(Canvas& dc) override;
    // Takes the new box and flags the block and its wires as moving; the
    // designer re-routes the flagged wires and then calls EndMove.
    void MoveTo(const Rect& rect) override;
    void EndMove(Canvas& dc) override;
    int HitTest(int x, int y) override;
    void ExtendBounds(Rect& bounds) const override;
    bool Intersects(const Rect& rect) const override;
    bool IsInside(const Rect& rect) const override;
    void TrackRect(ResizeTracker& out) const override;
    // Asks the host for the properties dialog, then repaints the box.
    void Configure() override;
    Code Validate() override { return kOk; }
    std::string_view Caption() const override { return caption_; }
    void DrawOrder(Canvas& dc) override;
    // Already running: 0. Otherwise caches every connected input's source
    // value, fetches the tag handle, runs OnStart, writes the initial tag
    // value once and opens the run gate last. A failing OnStart's code is
    // returned and the block stays stopped.
    Code Start() override;
    // Not running: 0. Otherwise drains the run gate, runs OnStop and forgets
    // what Start cached.
    Code Stop() override;

    // ---- Block operations ----
    virtual void DrawCaption(Canvas& dc);
    // For printing: the small default-font variant when the view says so.
    virtual void DrawCaptionPlain(Canvas& dc);
    // The base has the name ("Tag:") and the caption ("Description:"); kinds
    // return their own table that starts with addCommonProperties.
    PropertySet properties() override { return propertyTable().bind(*this); }

    template <class K>
    static void addCommonProperties(PropertyTable<K>& table);
    static const PropertyTable<Block>& propertyTable();

    // ---- data ----
    const Rect& box() const { return box_; }
    // Takes the box and recomputes the caption rectangle.
    void setBox(const Rect& box);
    const Rect& captionRect() const { return captionRect_; }

    const std::string& caption() const { return caption_; }
    // Keeps at most kMaxCaptionLength characters.
    void setCaption(std::string_view caption);

    // Renames the block and its tag. An empty name, one longer than 9
    // characters, or one the task's tags already hold is refused with
    // 34232 and the context, and nothing changes.
    Status rename(std::string_view newName);

    int iconId() const { return iconId_; }
    void setIconId(int toolId) { iconId_ = toolId; }
    const LogFont& font() const { return font_; }

    // The host's owner name, the task part of the block's tag; empty without a host.
    std::string taskName() const;

    // Live, numbered below the clipboard range, with a host and a database.
    bool mayPublishTag() const;
    bool tagPublished() const { return tag_.published(); }

  protected:
    // The kind's part of the record, after the block common part. Optional
    // trailing fields are read only while record.hasMore().
    virtual Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) { return {}; }
    virtual Status SavePayload(BinaryWriter& out) const { return {}; }

    // Start's step for the kind (open devices, set the initial output value).
    // A kind that fails here undoes what it did: Stop is not called for a
    // block that did not start.
    virtual Code OnStart() { return kOk; }
    // Stop's step for the kind (close devices), after the gate is drained.
    virtual void OnStop() {}
    // The value the block's tag carries; output 0 unless the kind says otherwise.
    virtual const OutputValue* TagValue() const { return outputValue(0); }

    // ---- helpers for the kinds ----
    // Sets the tag's type and element count and publishes it when the block
    // may; a published tag of another shape is withdrawn and added again.
    Code setTagShape(std::uint16_t type, std::uint16_t count);
    // Writes TagValue() (or `value`) to the tag; 0 when there is no tag.
    Code publishValue();
    Code publishValue(const OutputValue& value);
    TagPublication& tag() { return tag_; }

    // Caches, for every input, the source's output value (nullptr when the
    // input is not connected or its source is gone). Start calls it.
    void resolveInputs();
    const OutputValue* inputValue(std::size_t input) const {
        return input < sources_.size() ? sources_[input] : nullptr;
    }
    // Reads a cached input in the wanted type (through ConvertValue);
    // nullopt / false when the input has no source.
    std::optional<float> readFloat(std::size_t input, std::size_t element = 0);
    std::optional<std::int32_t> readInteger(std::size_t input, std::size_t element = 0);
    bool readText(std::size_t input, std::span<char> buffer, std::size_t element = 0);

    // Validation: shows the message (warning icon) and returns its id.
    Code refuse(Code messageId, Details details = {}) const;
    // The message followed by the task name and the caption (32869, 32875).
    Code refuseForBlock(Code messageId) const;
    Code refuseUnconfigured() const;
    // 32866 unless every listed input has a source.
    Code requireInputs(std::initializer_list<std::size_t> inputs) const;

  private:
    static constexpr int offsetEdge(int edge, int by) {
        const long long moved = static_cast<long long>(edge) + by;
        return static_cast<int>(
            std::clamp<long long>(moved, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    Status loadCommon(BinaryReader& in, int fileVersion);
    Code publishTag();
    // The task graph that numbers a live block; nullptr for a scratch copy or
    // a host without one.
    TaskGraph* orderingGraph() const;

    Rect captionRect_;
    Rect box_;
    std::string caption_;
    int iconId_ = 0;
    LogFont font_;  // the default variable-pitch font
    TagPublication tag_;
    std::vector<const OutputValue*> sources_;
};

template <class K>
void Block::addCommonProperties(PropertyTable<K>& table) {
    table
        .addString(
            "Tag:", [](const K& b) { return b.name(); },
            [](K& b, const std::string& name) { return b.rename(name); }, Node::kMaxNameLength)
        .key("name");
    table
        .addString(
            "Description:", [](const K& b) { return b.caption(); },
            [](K& b, const std::string& caption) { b.setCaption(caption); }, kMaxCaptionLength)
        .key("caption");
}

}  // namespace kestrune
