#pragma once
// The control and calculation kinds: PID, ON-OFF, single calculation,
// average and ramp. The application registers them once at start-up.

#include "blocks/control/pid_block.h"
#include "platform/status.h"
#include "taskmodel/block_factory.h"

namespace kestrune {

// Registers the five kinds. The PID blocks ask `taskPeriod` for their task's
// scan period when a run starts (by default OwnerTaskPeriodMs). Returns the first refusal of the factory
// (a kind registered twice), having registered the others.
Status registerControlBlockKinds(BlockFactory& factory, TaskPeriodLookup taskPeriod = {});

}  // namespace kestrune
