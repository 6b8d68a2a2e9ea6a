#pragma once
// Every kind of object a task can hold, registered with one call: the task
// object, the I/O kinds, the control and calculation kinds and the legacy
// kinds that only load and save. The application, the headless runtime and
// the strategy tool all make their factory this way, so that a strategy one
// of them writes the others read.
//
// The kinds keep references to the services; both structs must outlive every
// block the factory makes.

#include "platform/status.h"

namespace kestrune {

class NodeFactory;
using BlockFactory = NodeFactory;
struct BlockServices;
struct TaskServices;

// Stops at the first refusal (a kind registered twice) and returns it.
Status registerAllBlockKinds(BlockFactory& factory, const BlockServices& blocks, const TaskServices& tasks);

}  // namespace kestrune
