#include "taskmodel/block_placement.h"

#include <memory>
#include <string>

#include "resources/message_ids.h"
#include "resources/tool_icons.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/node_graph.h"
#include "taskmodel/node_host.h"

namespace kestrune {

Rect PlacementBox(Point click) {
    return Rect::centredAt(click, toolIconSize());
}

Placement PlaceBlock(const BlockFactory& factory, int toolId, const NodeContext& context, Point click,
                     Canvas* dc) {
    NodeGraph* graph = context.host != nullptr ? context.host->ownerGraph() : nullptr;
    if (graph == nullptr) return {nullptr, {kMsgGenericError, "a block is placed only in a task"}};
    BlockCreation made = factory.CreateForTool(toolId, context);
    if (made.block == nullptr) return {nullptr, std::move(made.status)};
    Block* block = made.block.get();
    block->setIconId(toolId);
    block->setBox(PlacementBox(click));
    if (graph->Append(std::move(made.block)) != kOk) {
        return {nullptr, {kMsgOutOfMemory, "placing tool " + std::to_string(toolId)}};
    }
    if (dc != nullptr) {
        block->Draw(*dc);
        if (context.host->showCaptions()) block->DrawCaption(*dc);
    }
    return {block, {}};
}

}  // namespace kestrune
