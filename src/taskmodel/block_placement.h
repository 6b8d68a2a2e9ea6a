#pragma once
// Placing a block with a block tool: the kind of the tool is made with the
// designer's creation context, its box takes the icon's size centred on the
// click, it goes to the end of the task's object list and is drawn (with its
// caption when the view shows captions). Making it the selection is the
// designer's part.

#include "platform/canvas.h"
#include "platform/geometry.h"
#include "platform/status.h"
#include "taskmodel/node_context.h"

namespace kestrune {

class Block;
class NodeFactory;
using BlockFactory = NodeFactory;

// The icon-sized box centred on `click`, with integer halves.
Rect PlacementBox(Point click);

// The placed block (owned by the task's list), or none with the reason; none
// with status 0 when the tool places nothing.
struct Placement {
    Block* block = nullptr;
    Status status;
};

// Draws on `dc` when one is given. The context's host must have a graph.
Placement PlaceBlock(const BlockFactory& factory, int toolId, const NodeContext& context, Point click,
                     Canvas* dc = nullptr);

}  // namespace kestrune
