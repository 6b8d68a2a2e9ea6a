#include "app/block_registration.h"

#include "blocks/io/register_io_blocks.h"
#include "engine/scan_task.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/legacy_program_block.h"

namespace kestrune {

Status registerAllBlockKinds(BlockFactory& factory, const BlockServices& blocks, const TaskServices& tasks) {
    if (Status s = registerEngineKinds(factory, tasks); !s) return s;
    if (Status s = registerLegacyBlockKinds(factory); !s) return s;
    return registerIoBlockKinds(factory, blocks);
}

}  // namespace kestrune
