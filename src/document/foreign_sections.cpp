#include "document/foreign_sections.h"

#include <string>

#include "taskmodel/graph_object.h"

namespace kestrune {
namespace {

constexpr FourCC kItemsEnd = {'P', 'E', 'N', 'D'};
constexpr FourCC kBitmap = {'P', 'B', 'M', 'P'};
constexpr FourCC kKeyTables = {'F', 'V', 'K', 'S'};

Status notLoaded(std::string_view what, std::size_t at, const BinaryReader& in) {
    std::string text = std::string(what) + " at byte " + std::to_string(at);
    text += in.failed() ? " is cut short" : " is not loaded by this version";
    return {kRecordLoadError, std::move(text)};
}

void skipKeyTables(BinaryReader& in) {
    const std::size_t at = in.position();
    if (in.remaining() < 4 || in.tag() != kKeyTables) {
        in.seek(at);
        return;
    }
    in.skip(std::size_t{in.u16()} * 2);
    in.skip(std::size_t{in.u16()} * 4);
}

}  // namespace

Status skipDisplaySection(BinaryReader& in) {
    const std::size_t at = in.position() - 4;
    in.skip(in.u16());
    while (!in.failed()) {
        const FourCC tag = in.tag();
        if (in.failed() || tag == kItemsEnd) break;
        if (tag == kBitmap) {
            in.skip(in.u32());
        } else {
            in.skip(in.u16());
        }
    }
    if (!in.failed()) skipKeyTables(in);
    return notLoaded("display section", at, in);
}

Status skipScriptSection(BinaryReader& in) {
    const std::size_t at = in.position() - 4;
    in.skip(in.u16());
    return notLoaded("main script section", at, in);
}

}  // namespace kestrune
