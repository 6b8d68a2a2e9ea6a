#include "blocks/io/io_record.h"

#include <algorithm>
#include <cstdint>

#include "taskmodel/graph_object.h"

namespace kestrune::io_record {

Status cutShort(const BinaryReader& in, std::string_view what) {
    return {kRecordLoadError, std::string(what) + " cut short at byte " + std::to_string(in.position())};
}

Status readText(BinaryReader& in, std::size_t keep, std::string_view what, std::string& out) {
    const std::size_t at = in.position();
    const std::uint32_t length = in.u32();
    if (in.failed()) return cutShort(in, std::string(what) + " length");
    if (length > in.remaining()) {
        return {kRecordLoadError, std::string(what) + " length " + std::to_string(length) + " at byte " +
                                      std::to_string(at) + " runs past the record"};
    }
    std::string text(length, '\0');
    in.bytes(text.data(), text.size());
    text.resize(std::min({text.find('\0'), keep, text.size()}));
    out = std::move(text);
    return {};
}

void writeText(BinaryWriter& out, std::string_view text) {
    out.u32(static_cast<std::uint32_t>(text.size()));
    out.bytes(text.data(), text.size());
}

}  // namespace kestrune::io_record
