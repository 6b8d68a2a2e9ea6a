#include "taskmodel/block_catalogue.h"

#include <array>

#include "components/tagdb/db_param.h"
#include "taskmodel/graph_object.h"

namespace kestrune {
namespace {

constexpr std::uint16_t kVariable = 0;  // the configuration gives the element count

// clang-format off
const std::array<BlockKindInfo, 30> kCatalogue = {{
    {34101, "Connection Wire",    kWireKind,            fourcc("SEGL"), "",      "",      std::nullopt,    0},
    {34102, "Tag",                kTagBlockKind,        fourcc("BTAG"), "TAG",   "",      std::nullopt,    0},
    {34103, "Analog Input",       kAnalogInputKind,     fourcc("BAIN"), "AI",    "",      kTagFloatArray,  kVariable},
    {34104, "Analog Output",      kAnalogOutputKind,    fourcc("BAOT"), "AO",    "",      kTagFloat,       1},
    {34105, "Digital Input",      kDigitalInputKind,    fourcc("BDIN"), "DI",    "",      kTagInt32Array,  kVariable},
    {34106, "Digital Output",     kDigitalOutputKind,   fourcc("BDOT"), "DO",    "",      kTagInt32,       1},
    {34107, "Temp. Measure",      kTemperatureKind,     fourcc("BTMP"), "TMP",   "",      kTagFloat,       1},
    {34108, "H/W Event Counter",  kHardwareCounterKind, fourcc("BHCT"), "CTFQ",  "",      kTagFloat,       1},
    {34109, "H/W Alarm",          kHardwareAlarmKind,   fourcc("BALM"), "ALM",   "",      kTagInt32,       1},
    {34110, "RS-232",             kSerialKind,          fourcc("BSER"), "SER",   "",      kTagStringArray, 8},
    {34111, "PID",                kPidKind,             fourcc("BPID"), "PID",   "",      kTagFloat,       1},
    {34112, "ON-OFF",             kOnOffKind,           fourcc("BOFF"), "ONF",   "",      kTagInt32,       1},
    {34113, "Single Calculation", kCalculationKind,     fourcc("BSOC"), "SOC",   "",      kTagFloat,       1},
    {34114, "Average",            kAverageKind,         fourcc("BAVG"), "AVG",   "",      kTagFloat,       1},
    {34115, "Event Counter",      kEventCounterKind,    fourcc("BCNT"), "CNT",   "",      kTagInt32,       1},
    {34116, "BASIC Script",       kScriptBlockKind,     fourcc("BSCR"), "SCR",   "",      std::nullopt,    0},
    {34117, "Timer",              kTimerKind,           fourcc("BTMR"), "ET",    "",      kTagInt32,       1},
    {34118, "Time Stamp",         kTimeStampKind,       fourcc("BTST"), "TS",    "",      kTagString,      1},
    {34119, "Ramp",               kRampKind,            fourcc("BRMP"), "RMP",   "",      kTagFloat,       1},
    {34120, "Log File",           kLogFileKind,         fourcc("BOUF"), "LOG",   "",      kTagInt32,       1},
    {34121, "Data File",          kDataFileKind,        fourcc("BINF"), "INF",   "",      kTagFloat,       1},
    {34122, "DDE Server",         kDdeServerKind,       fourcc("BDES"), "DDES",  "",      std::nullopt,    0},
    {34123, "DDE Client",         kDdeClientKind,       fourcc("BDEC"), "DDEC",  "",      kTagString,      1},
    {34124, "Network Input",      kNetworkInputKind,    fourcc("BNIN"), "NIN",   "NETIN", kTagFloat,       1},
    {34125, "Alarm Log",          kAlarmLogKind,        fourcc("BALG"), "ALOG",  "",      kTagInt32,       1},
    {34126, "Beep",               kBeepKind,            fourcc("BBEP"), "SP",    "",      kTagInt32,       1},
    {34127, "Sound",              kSoundKind,           fourcc("BSND"), "SOUND", "",      kTagInt32,       1},
    {34128, "System Control",     kSystemControlKind,   fourcc("BSYS"), "SYS",   "",      kTagInt32,       1},
    {34129, "",                   kUserProgramKind,     fourcc("BPRG"), "PRG",   "",      std::nullopt,    0},
    {0,     "",                   kTaskKind,            fourcc("BTSK"), "TASK",  "",      std::nullopt,    0},
}};
// clang-format on

}  // namespace

bool BlockKindInfo::isBlock() const {
    return isBlockKind(kind);
}

std::span<const BlockKindInfo> BlockCatalogue() {
    return kCatalogue;
}

const BlockKindInfo* FindKindByTool(int toolId) {
    if (toolId == 0) return nullptr;
    for (const BlockKindInfo& info : kCatalogue) {
        if (info.toolId == toolId) return &info;
    }
    return nullptr;
}

const BlockKindInfo* FindKindByCode(std::int32_t kind) {
    for (const BlockKindInfo& info : kCatalogue) {
        if (info.kind == kind) return &info;
    }
    return nullptr;
}

const BlockKindInfo* FindKindByTag(const FourCC& fileTag) {
    for (const BlockKindInfo& info : kCatalogue) {
        if (info.fileTag == fileTag) return &info;
    }
    return nullptr;
}

std::string DefaultName(const BlockKindInfo& info, std::uint16_t instance) {
    if (info.namePrefix.empty()) return {};
    return std::string(info.namePrefix) + std::to_string(instance);
}

std::string DefaultCaption(const BlockKindInfo& info, std::uint16_t instance) {
    if (info.captionPrefix.empty()) return DefaultName(info, instance);
    return std::string(info.captionPrefix) + std::to_string(instance);
}

}  // namespace kestrune
