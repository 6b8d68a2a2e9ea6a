#pragma once
// Every kind of object a task can hold, as data: the tool that places it, its
// caption in the toolbox, its kind code, the tag that opens its record in a
// strategy file, the prefix of its default name and the tag it publishes.
// The block factory, the task designer's toolbox, the strategy loader and
// the strategy tool all read this one table.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"

namespace kestrune {

struct BlockKindInfo {
    int toolId = 0;  // 0: no tool places it (the task object)
    std::string_view caption;
    std::int16_t kind = 0;
    FourCC fileTag{};
    // Default name: prefix and instance number; empty for the wire.
    std::string_view namePrefix;
    // Default caption prefix when it differs from the name's.
    std::string_view captionPrefix;
    // The tag type passed to AddTag when the block is made; none for kinds
    // that publish nothing at construction (they publish once configured).
    std::optional<std::uint16_t> tagType;
    // Elements of that tag; 0 when the configuration decides (channel arrays).
    std::uint16_t elementCount = 0;

    bool isBlock() const;
    // Whether a block of this kind publishes its tag on its own at construction.
    bool publishesFixedTag() const { return tagType.has_value() && elementCount > 0; }
};

// The whole table, in tool order with the task object last.
std::span<const BlockKindInfo> BlockCatalogue();

// nullptr when nothing in the table has that tool id, kind code or file tag.
const BlockKindInfo* FindKindByTool(int toolId);
const BlockKindInfo* FindKindByCode(std::int32_t kind);
const BlockKindInfo* FindKindByTag(const FourCC& fileTag);

// "PID" and 3 give "PID3"; the caption uses the caption prefix where one is set.
std::string DefaultName(const BlockKindInfo& info, std::uint16_t instance);
std::string DefaultCaption(const BlockKindInfo& info, std::uint16_t instance);

// Kind codes of the catalogue that other code names.
inline constexpr std::int16_t kTagBlockKind = 55;
inline constexpr std::int16_t kAnalogInputKind = 11;
inline constexpr std::int16_t kAnalogOutputKind = 12;
inline constexpr std::int16_t kDigitalInputKind = 13;
inline constexpr std::int16_t kDigitalOutputKind = 14;
inline constexpr std::int16_t kTemperatureKind = 15;
inline constexpr std::int16_t kTimerKind = 17;
inline constexpr std::int16_t kTimeStampKind = 19;
inline constexpr std::int16_t kEventCounterKind = 21;
inline constexpr std::int16_t kDataFileKind = 23;
inline constexpr std::int16_t kLogFileKind = 24;
inline constexpr std::int16_t kUserProgramKind = 25;
inline constexpr std::int16_t kPidKind = 26;
inline constexpr std::int16_t kRampKind = 27;
inline constexpr std::int16_t kOnOffKind = 28;
inline constexpr std::int16_t kAverageKind = 29;
inline constexpr std::int16_t kBeepKind = 33;
inline constexpr std::int16_t kDdeServerKind = 40;
inline constexpr std::int16_t kDdeClientKind = 41;
inline constexpr std::int16_t kSerialKind = 44;
inline constexpr std::int16_t kCalculationKind = 45;
inline constexpr std::int16_t kHardwareCounterKind = 47;
inline constexpr std::int16_t kHardwareAlarmKind = 48;
inline constexpr std::int16_t kSoundKind = 49;
inline constexpr std::int16_t kNetworkInputKind = 50;
inline constexpr std::int16_t kAlarmLogKind = 53;
inline constexpr std::int16_t kSystemControlKind = 56;
inline constexpr std::int16_t kScriptBlockKind = 297;

}  // namespace kestrune
