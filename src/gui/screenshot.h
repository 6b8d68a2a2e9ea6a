#pragma once
// A picture of the main window as the user sees it: the frame at the given
// size with the floating tool boxes painted over it where they float.

#include <QSize>
#include <QString>

namespace kestrune {

class CMainFrame;

// Lays the frame out at `size`, shows the tool boxes, grabs and writes a
// PNG; false when the file cannot be written.
bool grabMainWindow(CMainFrame& frame, const QString& pngPath, QSize size);

}  // namespace kestrune
