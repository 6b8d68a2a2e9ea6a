#pragma once
// The tool icons as Qt pictures: each drawn once through the core's icon
// painter into an image of the icons' own size and kept for the rest of the
// program (toolbox buttons, block boxes on every repaint).
//
// User-interface thread only.

#include <QIcon>
#include <QImage>

namespace kestrune {

// The icon of `toolId`; a null image for an id that has none.
const QImage& toolIconImage(int toolId);
QIcon toolIcon(int toolId);

}  // namespace kestrune
