#include "blocks/control/control_blocks.h"

#include <memory>

#include "blocks/control/average_block.h"
#include "blocks/control/calculation_block.h"
#include "blocks/control/on_off_block.h"
#include "blocks/control/ramp_block.h"
#include "taskmodel/block_catalogue.h"

namespace kestrune {

Status registerControlBlockKinds(BlockFactory& factory, TaskPeriodLookup taskPeriod) {
    Status first;
    auto keep = [&first](Status s) {
        if (first && !s) first = std::move(s);
    };
    keep(factory.Register(kPidKind, [taskPeriod = std::move(taskPeriod)](const NodeContext& context) {
        return std::make_unique<PidBlock>(context, taskPeriod);
    }));
    keep(factory.Register<OnOffBlock>(kOnOffKind));
    keep(factory.Register<CalculationBlock>(kCalculationKind));
    keep(factory.Register<AverageBlock>(kAverageKind));
    keep(factory.Register<RampBlock>(kRampKind));
    return first;
}

}  // namespace kestrune
