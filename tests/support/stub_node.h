#pragma once
// The one stand-in node of the tests: every abstract operation answered
// trivially, ports as the test gives them. Tests derive from it to count or
// steer what they watch.

#include <initializer_list>
#include <vector>

#include "taskmodel/node.h"

namespace kestrune::test_support {

class StubNode : public Node {
  public:
    StubNode(const NodeContext& context, std::int16_t kind, FourCC fileTag = {}) : Node(context, kind, fileTag) {}
    // One input per mask (accepting that mask) and one output per type.
    StubNode(const NodeContext& context, std::int16_t kind, FourCC fileTag,
             std::initializer_list<DataType> inputMasks, std::initializer_list<DataType> outputTypes)
        : Node(context, kind, fileTag) {
        std::vector<InputPort> in;
        for (DataType m : inputMasks) in.push_back({0, 0, m, 0});
        std::vector<OutputPort> out;
        for (DataType t : outputTypes) out.push_back({t, 0});
        setInputPorts(std::move(in));
        setOutputPorts(std::move(out));
    }

    void Draw(Canvas&) override {}
    void Invalidate(Canvas&) override {}
    void DrawHandles(Canvas&) override {}
    void InvalidateArea(Canvas&) override {}
    void MoveTo(const Rect&) override {}
    void EndMove(Canvas&) override {}
    int HitTest(int, int) override { return 0; }
    void ExtendBounds(Rect&) const override {}
    bool Intersects(const Rect&) const override { return false; }
    bool IsInside(const Rect&) const override { return false; }
    void TrackRect(ResizeTracker&) const override {}
    Code Validate() override { return kOk; }
};

}  // namespace kestrune::test_support
