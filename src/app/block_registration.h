#pragma once
// Every block kind the program has, registered with the factory once at
// start-up: the task object, the legacy user-program block and the I/O
// kinds. A module that brings new kinds adds its registration here.

#include "platform/status.h"

namespace kestrune {

class BlockFactory;
struct BlockServices;
struct TaskServices;

// Both service structs must outlive every block the factory makes.
Status registerAllBlockKinds(BlockFactory& factory, const BlockServices& blocks, const TaskServices& tasks);

}  // namespace kestrune
