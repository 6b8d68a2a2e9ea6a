#include "taskmodel/display_item_catalogue.h"

#include <array>

#include "components/tagdb/db_param.h"

namespace kestrune {
namespace {

constexpr std::optional<std::uint16_t> kNoTag = std::nullopt;
constexpr Size kNoLeast{0, 0};

// clang-format off
const std::array<DisplayItemKindInfo, 25> kCatalogue = {{
    {34001, "Binary Button",        kBinaryButtonKind,      fourcc("PBTN"), "BBTN",  kTagInt32,      1, {64, 24}},
    {34002, "Conditional Button",   kConditionalButtonKind, fourcc("PCBN"), "CBTN",  kTagInt32,      1, {64, 24}},
    {34003, "Menu Button",          kMenuButtonKind,        fourcc("PMNB"), "MENUB", kNoTag,         0, {64, 24}},
    {34004, "Numeric Control",      kNumericControlKind,    fourcc("PINN"), "NCTL",  kTagFloat,      1, {36, 24}},
    {34005, "String Control",       kStringControlKind,     fourcc("PSTL"), "SCTL",  kTagString,     1, {36, 24}},
    {34006, "Knob",                 kKnobKind,              fourcc("PKNB"), "KNOB",  kTagFloat,      1, {104, 120}},
    {34007, "Slider",               kSliderKind,            fourcc("PSPN"), "SPIN",  kTagFloat,      1, {56, 136}},
    {34008, "Indicator",            kIndicatorKind,         fourcc("PIDC"), "INDI",  kTagInt32,      1, {16, 16}},
    {34009, "Numeric String",       kNumericStringKind,     fourcc("PNUM"), "NUM",   kNoTag,         0, {32, 16}},
    {34010, "Conditional Text",     kConditionalTextKind,   fourcc("PCTX"), "CTXT",  kTagString,     1, {40, 16}},
    {34011, "Bar Graph",            kBarGraphKind,          fourcc("PBAR"), "BAR",   kTagFloat,      1, {32, 64}},
    {34012, "Analog Meter",         kAnalogMeterKind,       fourcc("PAOT"), "METER", kTagFloat,      1, {112, 112}},
    {34013, "Realtime Trend Graph", kRealtimeTrendKind,     fourcc("PXTG"), "XTG",   kNoTag,         0, {104, 80}},
    {34014, "Historical Trend",     kHistoricalTrendKind,   fourcc("PHST"), "HIST",  kTagFloatArray, 8, {180, 140}},
    {34015, "XY Graph",             kXyGraphKind,           fourcc("PXYG"), "XYG",   kNoTag,         0, {104, 80}},
    {34016, "Conditional Bitmap",   kConditionalBitmapKind, fourcc("PCBO"), "BMP",   kTagInt32,      1, {50, 50}},
    {34017, "Text String",          kTextStringKind,        fourcc("PTXT"), "",      kNoTag,         0, {40, 16}},
    {34018, "Group Box",            kGroupBoxKind,          fourcc("PGBX"), "",      kNoTag,         0, {40, 40}},
    {34019, "Rectangle Draw",       kRectangleKind,         fourcc("PREX"), "RECT",  kTagInt32,      1, kNoLeast},
    {34020, "Round Rect. Draw",     kRoundRectKind,         fourcc("PRRX"), "RRECT", kTagInt32,      1, kNoLeast},
    {34021, "Oval Draw",            kOvalKind,              fourcc("PELP"), "ELP",   kTagInt32,      1, kNoLeast},
    {34022, "Polygon Draw",         kPolygonKind,           fourcc("PPLG"), "POLG",  kTagInt32,      1, kNoLeast},
    {34023, "Line Draw",            kLineKind,              fourcc("PLIN"), "LINE",  kTagInt32,      1, kNoLeast},
    {34024, "Event Log Draw",       kEventLogItemKind,      fourcc("PEVT"), "EVT",   kNoTag,         0, {40, 40}},
    {0,     "",                     kShapeGroupKind,        fourcc("PCEL"), "CELL",  kTagInt32,      1, kNoLeast},
}};
// clang-format on

template <class Matches>
const DisplayItemKindInfo* findKind(Matches matches) {
    for (const DisplayItemKindInfo& info : kCatalogue) {
        if (matches(info)) return &info;
    }
    return nullptr;
}

}  // namespace

std::span<const DisplayItemKindInfo> DisplayItemCatalogue() {
    return kCatalogue;
}

const DisplayItemKindInfo* FindDisplayItemKindByTool(int toolId) {
    if (toolId == 0) return nullptr;
    return findKind([toolId](const DisplayItemKindInfo& info) { return info.toolId == toolId; });
}

const DisplayItemKindInfo* FindDisplayItemKindByCode(std::int32_t kind) {
    return findKind([kind](const DisplayItemKindInfo& info) { return info.kind == kind; });
}

const DisplayItemKindInfo* FindDisplayItemKindByTag(const FourCC& fileTag) {
    return findKind([&fileTag](const DisplayItemKindInfo& info) { return info.fileTag == fileTag; });
}

std::string DefaultName(const DisplayItemKindInfo& info, std::uint16_t instance) {
    if (info.namePrefix.empty()) return {};
    return std::string(info.namePrefix) + std::to_string(instance);
}

}  // namespace kestrune
