#pragma once
// The display side of the scheduler, implemented by the display framework:
// a display window to be told to redraw, and a trend item to be updated.

#include <cstdint>

namespace kestrune {

// A display window. Called on the display refresh thread: it may only post
// the redraw message (0x433) to its window, never draw.
class DisplayRefreshTarget {
  public:
    virtual ~DisplayRefreshTarget() = default;
    virtual void postRefresh() = 0;
};

// A realtime or historical trend item. The scheduler keeps its tick
// accumulator and due flag; the item supplies its update period.
class TrendUpdateTarget {
  public:
    virtual ~TrendUpdateTarget() = default;
    // Ticks between two updates (values below 1 count as 1). Read on the
    // master thread; fixed while the run lasts.
    virtual std::int64_t trendPeriodTicks() const = 0;
    // The item's running flag.
    virtual bool trendActive() const = 0;
    // An item fed by a task is updated by that task's scans while the run is not paused.
    virtual bool hasOwnerTask() const = 0;
    // The item's Scan, on the trend thread.
    virtual void scanTrend() = 0;
};

}  // namespace kestrune
