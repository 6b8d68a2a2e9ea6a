#include "blocks/register_all_blocks.h"

#include "blocks/block_services.h"
#include "blocks/control/control_blocks.h"
#include "blocks/io/register_io_blocks.h"
#include "engine/scan_task.h"
#include "engine/task_services.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/legacy_program_block.h"

namespace kestrune {

Status registerAllBlockKinds(BlockFactory& factory, const BlockServices& blocks, const TaskServices& tasks) {
    if (Status s = registerEngineKinds(factory, tasks); !s) return s;
    if (Status s = registerIoBlockKinds(factory, blocks); !s) return s;
    if (Status s = registerControlBlockKinds(factory); !s) return s;
    return registerLegacyBlockKinds(factory);
}

}  // namespace kestrune
