#pragma once
// What a run start does to the strategy's virtual tags: each tag's hold flag
// is set in the tag database as the strategy says, and a tag that is not
// held starts from its initial value. A held tag keeps the value it had at
// the last stop (the hold file brought it back when the strategy opened), or
// else the initial value the tag wrote when it was made.

#include <memory>
#include <span>

#include "platform/status.h"

namespace kestrune {

class TagDatabase;
class VirtualTag;

// 0, or the first code the tag database refused with (the other tags are
// still set).
Code applyVirtualTagsForRun(TagDatabase& tags, std::span<const std::unique_ptr<VirtualTag>> virtualTags);

}  // namespace kestrune
