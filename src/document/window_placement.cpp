#include "document/window_placement.h"

#include <string>

#include "taskmodel/graph_object.h"

namespace kestrune {

void WindowPlacement::write(BinaryWriter& out) const {
    out.u16(kLength);
    out.i32(flags);
    out.i32(showCommand);
    out.i32(minPosition.x);
    out.i32(minPosition.y);
    out.i32(maxPosition.x);
    out.i32(maxPosition.y);
    out.i32(normal.left);
    out.i32(normal.top);
    out.i32(normal.right);
    out.i32(normal.bottom);
    out.u32(0);
    out.u32(0);
}

Status WindowPlacement::read(BinaryReader& in) {
    const std::size_t at = in.position();
    const std::uint16_t length = in.u16();
    const BinaryReader::Record record = in.beginRecord(length);
    WindowPlacement p;
    p.flags = in.i32();
    p.showCommand = in.i32();
    p.minPosition = {in.i32(), in.i32()};
    p.maxPosition = {in.i32(), in.i32()};
    p.normal.left = in.i32();
    p.normal.top = in.i32();
    p.normal.right = in.i32();
    p.normal.bottom = in.i32();
    const bool ok = !in.failed();
    in.endRecord(record);
    if (!ok) {
        return {kRecordLoadError, "window placement at byte " + std::to_string(at) + " is cut short"};
    }
    *this = p;
    return {};
}

}  // namespace kestrune
