#include "app/virtual_tag_run.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "components/tagdb/tag_database.h"
#include "document/virtual_tag.h"

namespace kestrune {
namespace {

Code writeInitialValue(TagDatabase& tags, const VirtualTag& tag) {
    switch (tag.type()) {
        case VirtualTag::kInteger: {
            const DB_PARAM value = DB_PARAM::Int(tag.initialInteger());
            return tags.SetData(kVirtualTaskName, tag.name(), &value);
        }
        case VirtualTag::kString: {
            std::array<char, kTagTextSize> text{};
            const std::string& initial = tag.initialText();
            std::memcpy(text.data(), initial.data(),
                        std::min<std::size_t>(initial.size(), kTagMaxTextLength));
            const DB_PARAM value = DB_PARAM::Text(text.data());
            return tags.SetData(kVirtualTaskName, tag.name(), &value);
        }
        default: {
            const DB_PARAM value = DB_PARAM::Float(tag.initialFloat());
            return tags.SetData(kVirtualTaskName, tag.name(), &value);
        }
    }
}

}  // namespace

Code applyVirtualTagsForRun(TagDatabase& tags, std::span<const std::unique_ptr<VirtualTag>> virtualTags) {
    Code first = kOk;
    for (const auto& tag : virtualTags) {
        Code code = tags.HoldTag(kVirtualTaskName, tag->name(), tag->hold());
        if (code == kOk && !tag->hold()) code = writeInitialValue(tags, *tag);
        if (first == kOk) first = code;
    }
    return first;
}

}  // namespace kestrune
