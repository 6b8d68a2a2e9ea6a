#pragma once
// Result codes of the tag database. They share the 0xF0000000 family with the
// two "unknown" values that GetTagID hands out in place of an id, so that a
// caller can pass an id or a code on without the two ever colliding (ids are
// small positive numbers). As `Code` (a signed 32-bit value) they read negative.

#include <cstdint>

#include "platform/status.h"

namespace kestrune {

inline constexpr std::uint32_t kTagIdUnknownTask = 0xF0000001u;
inline constexpr std::uint32_t kTagIdUnknownTag = 0xF0000002u;

constexpr Code tagdbCode(std::uint32_t v) {
    return static_cast<Code>(v);
}

inline constexpr Code kTagUnknownTask = tagdbCode(kTagIdUnknownTask);
inline constexpr Code kTagUnknownTag = tagdbCode(kTagIdUnknownTag);  // also a null handle or unknown id
inline constexpr Code kTagTypeMismatch = tagdbCode(0xF0000003u);     // string to number or back
inline constexpr Code kTagIndexRange = tagdbCode(0xF0000004u);       // start + count past the tag
inline constexpr Code kTagLocked = tagdbCode(0xF0000005u);           // unkeyed write to a locked tag
inline constexpr Code kTagBadKey = tagdbCode(0xF0000006u);           // key is not the tag's lock key
inline constexpr Code kTagStringTooLong = tagdbCode(0xF0000007u);    // no terminator within 128 bytes
inline constexpr Code kTagDisabled = tagdbCode(0xF0000008u);         // write to a disabled tag
inline constexpr Code kTagDeleted = tagdbCode(0xF0000009u);          // handle or id of a deleted tag
inline constexpr Code kTagBadType = tagdbCode(0xF000000Au);          // not one of the type codes
inline constexpr Code kTagBadRecord = tagdbCode(0xF000000Bu);        // null record or data, count 0
inline constexpr Code kTagBadName = tagdbCode(0xF000000Cu);          // empty, too long, control chars
inline constexpr Code kTagExists = tagdbCode(0xF000000Du);
inline constexpr Code kTaskExists = tagdbCode(0xF000000Eu);
inline constexpr Code kTagNotLocked = tagdbCode(0xF000000Fu);  // unlock of an unlocked tag
inline constexpr Code kTagDatabaseFull = tagdbCode(0xF0000010u);
inline constexpr Code kHoldFileMissing = tagdbCode(0xF0000011u);     // nothing loaded, nothing changed
inline constexpr Code kHoldFileUnreadable = tagdbCode(0xF0000012u);  // I/O error or too large
inline constexpr Code kHoldFileCorrupt = tagdbCode(0xF0000013u);     // magic, length, checksum, layout
inline constexpr Code kHoldFileVersion = tagdbCode(0xF0000014u);     // written by a newer program
inline constexpr Code kHoldFileWrite = tagdbCode(0xF0000015u);       // old file left in place

}  // namespace kestrune
