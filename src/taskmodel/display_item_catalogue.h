#pragma once
// Every kind of item a display can hold, as data: the designer's tool that
// places it, its short name, its kind code (401..498), the tag that opens
// its record in a strategy file, the prefix of its default name, the tag it
// publishes and the least size a new item is given. The node factory, the
// display designer's toolbox and the strategy loader read this one table,
// as they read the block catalogue for blocks.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"
#include "platform/geometry.h"

namespace kestrune {

struct DisplayItemKindInfo {
    int toolId = 0;  // 0: no tool places it (the group made from a selection)
    std::string_view caption;
    std::int16_t kind = 0;
    FourCC fileTag{};
    // Default name: prefix and instance number; empty for kinds without one.
    std::string_view namePrefix;
    // The tag type an item of this kind publishes (one element, or
    // elementCount); none for kinds that own no tag.
    std::optional<std::uint16_t> tagType;
    std::uint16_t elementCount = 0;
    // A new item smaller than this is enlarged to it; 0 x 0 for none.
    Size leastSize;
};

// The whole table, in tool order with the tool-less group last.
std::span<const DisplayItemKindInfo> DisplayItemCatalogue();

// nullptr when nothing in the table has that tool id, kind code or file tag.
const DisplayItemKindInfo* FindDisplayItemKindByTool(int toolId);
const DisplayItemKindInfo* FindDisplayItemKindByCode(std::int32_t kind);
const DisplayItemKindInfo* FindDisplayItemKindByTag(const FourCC& fileTag);

// "METER" and 3 give "METER3"; empty for a kind without a name prefix.
std::string DefaultName(const DisplayItemKindInfo& info, std::uint16_t instance);

// Kind codes of the catalogue that other code names.
inline constexpr std::int16_t kBinaryButtonKind = 401;
inline constexpr std::int16_t kRealtimeTrendKind = 402;
inline constexpr std::int16_t kBarGraphKind = 403;
inline constexpr std::int16_t kGroupBoxKind = 404;
inline constexpr std::int16_t kTextStringKind = 405;
inline constexpr std::int16_t kNumericStringKind = 406;
inline constexpr std::int16_t kIndicatorKind = 407;
inline constexpr std::int16_t kNumericControlKind = 408;
inline constexpr std::int16_t kXyGraphKind = 409;
inline constexpr std::int16_t kAnalogMeterKind = 410;
inline constexpr std::int16_t kKnobKind = 411;
inline constexpr std::int16_t kSliderKind = 412;
inline constexpr std::int16_t kHistoricalTrendKind = 414;
inline constexpr std::int16_t kConditionalTextKind = 415;
inline constexpr std::int16_t kConditionalBitmapKind = 416;
inline constexpr std::int16_t kConditionalButtonKind = 417;
inline constexpr std::int16_t kMenuButtonKind = 419;
inline constexpr std::int16_t kRectangleKind = 421;
inline constexpr std::int16_t kRoundRectKind = 422;
inline constexpr std::int16_t kOvalKind = 423;
inline constexpr std::int16_t kShapeGroupKind = 424;
inline constexpr std::int16_t kLineKind = 425;
inline constexpr std::int16_t kPolygonKind = 426;
inline constexpr std::int16_t kEventLogItemKind = 428;
inline constexpr std::int16_t kStringControlKind = 429;

}  // namespace kestrune
