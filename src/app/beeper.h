#pragma once
// The beep that announces a run error when the strategy asks for it. The
// sound service implements it; it must return at once (a beep never holds
// up the main thread).

namespace kestrune {

class Beeper {
  public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

}  // namespace kestrune
