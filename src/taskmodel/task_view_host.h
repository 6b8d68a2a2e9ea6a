#pragma once
// What a block asks of the task designer that holds it: the name of its
// task (the task part of every tag the block publishes), how the view is set
// to draw (captions, order numbers, the printing font), repaints of parts of
// the view, and the properties dialog. The desktop task designer implements
// it; the headless runtime and tests supply their own.
//
// A host outlives every block created with it (the view destroys its blocks
// before itself).

#include <string>

#include "platform/geometry.h"

namespace kestrune {

class Block;

class TaskViewHost {
  public:
    virtual ~TaskViewHost() = default;

    // The task object's name ("TASK1").
    virtual std::string taskName() const = 0;
    // View menu "Label": captions under the boxes (on for a new view).
    virtual bool showCaptions() const = 0;
    // View menu "Order Layout": order numbers on the boxes (off for a new view).
    virtual bool showOrderNumbers() const = 0;
    // Whether printed captions use the block's own font; otherwise a small
    // font made from the device's default.
    virtual bool captionsUseNodeFont() const { return true; }

    // Asks for part of the view to be repainted, erasing it first when `erase`.
    virtual void invalidate(const Rect& area, bool erase) = 0;

    // Opens the properties dialog of `block`, modal, owned by the view;
    // false when there is none (the block is left as it was).
    virtual bool configureBlock(Block& block) { return false; }
};

}  // namespace kestrune
