#pragma once
// Strategy bytes holding what no class of this program reads yet: display
// sections, a main script section and a record whose tag nothing knows. The
// document and the strategy tool tests check that all of it comes back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/binary_stream.h"

namespace kestrune::testing {

inline constexpr FourCC kUnknownRecordTag = {'B', 'Q', 'Q', 'Q'};

// A display section (header, an item record, a bitmap, the items' end, the
// key tables), told apart by `mark`.
inline std::vector<std::uint8_t> displaySection(std::uint32_t mark) {
    BinaryWriter out;
    out.tag({'P', 'W', 'P', 'L'});
    out.u16(4);
    out.u32(mark);
    out.tag({'D', 'B', 'T', 'N'});
    out.u16(3);
    out.bytes("abc", 3);
    out.tag({'P', 'B', 'M', 'P'});
    out.u32(16);
    out.zeros(16);
    out.tag({'P', 'E', 'N', 'D'});
    out.tag({'F', 'V', 'K', 'S'});
    out.u16(36);
    out.zeros(72);
    out.u16(1);
    out.u16(113);
    out.u16(5);
    return out.take();
}

// The main script section: its window placement and a text.
inline std::vector<std::uint8_t> scriptSection() {
    BinaryWriter out;
    out.tag({'B', 'S', 'R', 'P'});
    out.u16(2 + 48 + 2 + 2 + 4);
    out.zeros(2 + 48);
    out.u16(2);
    out.bytes("x", 2);
    out.tag({'E', 'S', 'R', 'P'});
    return out.take();
}

// Where the `occurrence`-th (from 0; -1 for the last) `tag` starts.
inline std::size_t findTag(const std::vector<std::uint8_t>& bytes, std::string_view tag, int occurrence = 0) {
    const std::string text(bytes.begin(), bytes.end());
    std::size_t at = occurrence < 0 ? text.rfind(tag) : text.find(tag);
    for (int i = 0; i < occurrence && at != std::string::npos; ++i) at = text.find(tag, at + 1);
    EXPECT_NE(at, std::string::npos) << tag;
    return at == std::string::npos ? bytes.size() : at;
}

inline void insertAt(std::vector<std::uint8_t>& bytes, std::size_t at,
                     const std::vector<std::uint8_t>& extra) {
    bytes.insert(bytes.begin() + static_cast<long>(at), extra.begin(), extra.end());
}

// `bytes` of a strategy with two tasks and two virtual tags, given one
// display section between the tasks, a second one and the main script after
// them, and the last record tagged `recordTag` retagged as one nothing knows.
inline std::vector<std::uint8_t> withKeptParts(std::vector<std::uint8_t> bytes, std::string_view recordTag) {
    const std::size_t record = findTag(bytes, recordTag, -1);
    if (record < bytes.size())
        std::copy(kUnknownRecordTag.begin(), kUnknownRecordTag.end(),
                  bytes.begin() + static_cast<long>(record));
    std::vector<std::uint8_t> after = displaySection(0xD15A0002);
    const std::vector<std::uint8_t> script = scriptSection();
    after.insert(after.end(), script.begin(), script.end());
    insertAt(bytes, findTag(bytes, "VTAG"), after);
    insertAt(bytes, findTag(bytes, "SWPL", 1), displaySection(0xD15A0001));
    return bytes;
}

}  // namespace kestrune::testing
