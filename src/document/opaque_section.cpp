#include "document/opaque_section.h"

#include "document/foreign_sections.h"

namespace kestrune {

void OpaqueSection::write(BinaryWriter& out) const {
    out.tag(tag);
    out.bytes(bytes);
}

bool isOpaqueSectionTag(const FourCC& tag) {
    return tag == kDisplaySectionTag || tag == kScriptSectionTag;
}

Status readOpaqueSection(BinaryReader& in, const FourCC& tag, std::size_t tasksBefore,
                         std::optional<OpaqueSection>& kept) {
    kept.reset();
    const std::size_t start = in.position();
    Status status = tag == kDisplaySectionTag ? skipDisplaySection(in) : skipScriptSection(in);
    if (in.failed()) return status;
    const std::size_t end = in.position();
    OpaqueSection section{tag, tasksBefore, std::vector<std::uint8_t>(end - start)};
    in.seek(start);
    in.bytes(section.bytes.data(), section.bytes.size());
    kept = std::move(section);
    return status;
}

}  // namespace kestrune
