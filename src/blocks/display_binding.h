#pragma once
// A block that stands for a display item inside its task (the tag block in
// display mode). Blocks wired to such a block register themselves with the
// item for the length of a run, so that operator input on the item reaches
// them as well.

namespace kestrune {

class Node;

class DisplayItemBinding {
  public:
    virtual ~DisplayItemBinding() = default;
    // The display item the block is bound to; nullptr when it is bound to none.
    virtual Node* boundDisplayItem() const = 0;
};

}  // namespace kestrune
