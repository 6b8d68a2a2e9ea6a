#include "app/run_error_source.h"

#include "blocks/io/io_block.h"
#include "platform/main_queue.h"
#include "taskmodel/block.h"
#include "taskmodel/object_registry.h"

namespace kestrune {

Node* findMessageNode(const ObjectRegistry& registry, std::int64_t lParam) {
    if (lParam == 0) return nullptr;
    const Node* wanted = paramAs<const Node>(lParam);
    // Compared as addresses only: nothing is read through `wanted` unless it
    // turns out to be a live object of the strategy.
    for (GraphObject* object : registry.objects()) {
        if (Node* node = object->asNode(); node != nullptr && node == wanted) return node;
    }
    return nullptr;
}

RunErrorSource runErrorSourceOf(const Node* node) {
    RunErrorSource source;
    if (node == nullptr) return source;
    source.blockName = node->name();
    source.caption = std::string(node->Caption());
    if (const auto* block = dynamic_cast<const Block*>(node)) source.taskName = block->taskName();
    if (const auto* io = dynamic_cast<const IoBlock*>(node)) {
        if (io->source().kind == IoSourceKind::Device) {
            source.deviceNumber = io->deviceNumber();
            source.deviceKind = io->deviceKind();
        }
        source.opcItem = io->opcItemHandle();
    }
    return source;
}

}  // namespace kestrune
