#pragma once
// Building one task from its JSON (see strategy_json.h): the window
// placement, the task object, the blocks in list order and the wires; and
// the object ids of the whole strategy, which the JSON may give or leave to
// the builder.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "cli/ksv/json_input.h"
#include "platform/status.h"

namespace kestrune {
class StrategyTask;
}

namespace kestrune::ksv {

// Every id the JSON gives is collected first, so that an object built
// without one never takes an id that a later object asks for.
class IdPlan {
  public:
    // The ids of every task object, block and wire in `tasks` (an array of
    // tasks; anything malformed is left for the build to report). A repeated
    // id or one outside 1..65535 is a problem at its path.
    Status collect(const Json& tasks, std::string_view path);
    // The given id, or a fresh one; 0 when no id is left.
    std::uint16_t take(std::optional<std::uint16_t> given);

  private:
    Status note(const Json& object, std::string_view path);

    std::set<std::uint16_t> given_;
    std::set<std::uint16_t> taken_;
    std::uint32_t next_ = 1;
};

Status buildTask(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids);

}  // namespace kestrune::ksv
