#include "blocks/io/register_io_blocks.h"

#include <memory>

#include "blocks/io/analog_input_block.h"
#include "blocks/io/analog_output_block.h"
#include "blocks/io/digital_input_block.h"
#include "blocks/io/digital_output_block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune {
namespace {

template <class K>
Status registerKind(BlockFactory& factory, std::int16_t kind, const BlockServices& services) {
    return factory.Register(kind, [&services](const NodeContext& context) -> std::unique_ptr<Block> {
        return std::make_unique<K>(context, services);
    });
}

}  // namespace

Status registerIoBlockKinds(BlockFactory& factory, const BlockServices& services) {
    if (Status s = registerKind<AnalogInputBlock>(factory, kAnalogInputKind, services); !s) return s;
    if (Status s = registerKind<AnalogOutputBlock>(factory, kAnalogOutputKind, services); !s) return s;
    if (Status s = registerKind<DigitalInputBlock>(factory, kDigitalInputKind, services); !s) return s;
    return registerKind<DigitalOutputBlock>(factory, kDigitalOutputKind, services);
}

}  // namespace kestrune
