#pragma once
// Building what the strategy tool keeps without reading it (see
// strategy_json.h): a task's records of kinds no class reads, and the
// display and script sections. Both come as hex bytes; what they hold is the
// file's own business, so the build checks only that they frame.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ksv/json_input.h"
#include "platform/status.h"

namespace kestrune {
class StrategyDocument;
class StrategyTask;
}  // namespace kestrune

namespace kestrune::ksv {

class IdPlan;

// The member `key` as hex bytes, at most `maxBytes` of them.
Status readHexMember(JsonObject& o, std::string_view key, std::size_t maxBytes,
                     std::vector<std::uint8_t>& out);

// A block entry with a "record": the record read as the file loader reads
// it (by its class, should its kind have one by now) and appended to the task.
Status buildKeptRecord(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids);

// The top-level "sections" array.
Status buildKeptSections(const Json& list, StrategyDocument& document);

}  // namespace kestrune::ksv
