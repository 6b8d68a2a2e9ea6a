#include "engine/task_fed_items.h"

#include <algorithm>

#include "taskmodel/node.h"

namespace kestrune {

std::vector<Node*> takeFedItems(TaskFedItems& items, const std::unordered_set<std::uint32_t>& taskNodes,
                                std::uint16_t taskInstance) {
    const auto fromTask = [&](const InputPort& port) {
        return port.isConnected() && taskNodes.contains(port.sourceId);
    };
    std::vector<Node*> taken;
    for (Node* item : items.itemsWithInputs()) {
        if (item == nullptr || item->inputCount() == 0) continue;
        const auto inputs = item->inputs();
        const bool firstFromTask = fromTask(inputs.front());
        if (isSharedTrendKind(item->kind())) {
            if (!std::any_of(inputs.begin(), inputs.end(), fromTask)) continue;
            if (firstFromTask) items.setOwnerTask(*item, taskInstance);
        } else if (!firstFromTask) {
            continue;
        }
        taken.push_back(item);
    }
    return taken;
}

}  // namespace kestrune
