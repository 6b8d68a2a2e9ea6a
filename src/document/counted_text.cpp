#include "document/counted_text.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

void writeCountedText(BinaryWriter& out, std::string_view text, Terminator terminator) {
    const bool counted = terminator == Terminator::Counted;
    const std::size_t room = counted ? 0xFFFE : 0xFFFF;
    const std::string_view kept = text.substr(0, std::min(text.size(), room));
    out.u16(static_cast<std::uint16_t>(kept.size() + (counted ? 1 : 0)));
    out.bytes(kept.data(), kept.size());
    if (counted) out.u8(0);
}

bool readCountedText(BinaryReader& in, std::size_t keep, std::string& text) {
    const std::uint16_t length = in.u16();
    if (in.failed() || length > in.remaining()) {
        in.skip(length);  // fails the reader without reading
        return false;
    }
    std::string stored(length, '\0');
    in.bytes(stored.data(), length);
    stored.resize(std::min(std::strlen(stored.c_str()), keep));
    text = std::move(stored);
    return true;
}

}  // namespace kestrune
