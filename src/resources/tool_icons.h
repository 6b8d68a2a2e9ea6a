#pragma once
// Icons of the designer tools: the task designer's selection pointer (34100),
// connection wire (34101) and block kinds (34102 to 34129), and the display
// designer's selection pointer (34000) and item kinds (34001 to 34024). A tool
// is identified by its tool id; there is no separate bitmap id. Every icon has
// the same size, which is also the size of a placed block's box.
//
// The icons are small vector drawings made through a Canvas, so they scale to
// any rectangle; a Canvas that wants pixels can draw them once into an image
// and keep it (drawBitmap(toolId, rect) of the desktop canvas does that).

#include <vector>

#include "platform/canvas.h"

namespace kestrune {

// 32 x 32.
Size toolIconSize();

// True for the tool ids listed above; 34130 (which places nothing) and every
// other id have no icon.
bool hasToolIcon(int toolId);

// Draws the icon of `toolId` scaled to `target` and returns true, or draws
// nothing and returns false when the id has no icon. The canvas state is the
// same afterwards.
bool drawToolIcon(Canvas& canvas, int toolId, const Rect& target);

// Every id that has an icon, task tools first, each group in id order (for
// building the toolboxes).
std::vector<int> toolIconIds();

}  // namespace kestrune
