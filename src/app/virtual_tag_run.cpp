#include "app/virtual_tag_run.h"

#include "components/tagdb/tag_database.h"
#include "document/virtual_tag.h"

namespace kestrune {

Code applyVirtualTagsForRun(TagDatabase& tags, std::span<const std::unique_ptr<VirtualTag>> virtualTags) {
    Code first = kOk;
    for (const auto& tag : virtualTags) {
        Code code = tags.HoldTag(kVirtualTaskName, tag->name(), tag->hold());
        if (code == kOk && !tag->hold()) code = tag->writeInitialValue(tags);
        if (first == kOk) first = code;
    }
    return first;
}

}  // namespace kestrune
