#pragma once
// Building one wire of a task from its JSON: its ends by id or by name, the
// port indices, and its route. A wire given without points is routed as
// the designer would draw a plain connection: out of the source box's right
// edge, into the target box's left edge, with one vertical leg between when
// the two are not level.
//
// A block built without "inputs" takes its input ports' sources from the
// wires that end at it; one given with them keeps them as given.

#include <string>
#include <vector>

#include "cli/ksv/json_input.h"
#include "platform/status.h"

namespace kestrune {
class Block;
class StrategyTask;
}  // namespace kestrune

namespace kestrune::ksv {

class IdPlan;

struct BuiltBlock {
    Block* block = nullptr;
    bool inputsGiven = false;
};
using BuiltBlocks = std::vector<BuiltBlock>;

Status buildWire(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids,
                 const BuiltBlocks& built);

}  // namespace kestrune::ksv
