#pragma once
// Free space on the file system that holds the strategy. A run refuses to
// start below the bound, and while it runs the idle pass watches it: once
// the space has fallen below the bound, the idle pass reports run error
// 34257 again and again (without measuring anew) until the next run starts,
// so the operator cannot miss it and an error limit will stop the run.
//
// The idle pass looks at most once a second. The report it posts wakes the
// main loop, which idles again at once; without the pause the two would
// chase each other and keep the main thread busy with nothing but reports.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

class Clock;
class MainQueue;

// The least free space a run needs, in bytes.
inline constexpr std::uint32_t kLowDiskSpaceBound = 524288;

// Bytes available to the program on the file system of `directory` ("" =
// the working directory), counted in 64 bits so that large disks are not
// wrapped into small numbers; nullopt when it cannot be measured.
std::optional<std::uint64_t> freeDiskBytes(const std::string& directory);

// The mount point of the file system holding `directory`: what the low-space
// message names as the disk. The directory itself when it cannot be found.
std::string fileSystemRoot(const std::string& directory);

// 34257 with the disk of `directory` and `bound`.
std::string lowDiskSpaceText(const std::string& directory, std::uint32_t bound);

class DiskSpaceMonitor {
  public:
    using Probe = std::function<std::optional<std::uint64_t>(const std::string& directory)>;

    static constexpr std::chrono::seconds kCheckInterval{1};

    DiskSpaceMonitor(MainQueue& mainQueue, const Clock& clock, Probe probe = freeDiskBytes);

    // Whether `directory` has less than `bound` bytes free now (the check
    // before a run starts). Unmeasurable space is not reported as low.
    bool isLow(const std::string& directory, std::uint32_t bound = kLowDiskSpaceBound) const;

    // Main thread, when a run starts and stops: the idle pass checks only in between.
    void start(std::string directory, std::uint32_t bound = kLowDiskSpaceBound);
    void stop();

    // Main thread, on every idle pass: at most once per kCheckInterval, when
    // the space is (or was found) low, posts 0x415 with 34257 and the bound.
    // True when it posted.
    bool idle();

    bool low() const { return low_; }

  private:
    MainQueue& mainQueue_;
    const Clock& clock_;
    Probe probe_;
    std::string directory_;
    std::uint32_t bound_ = kLowDiskSpaceBound;
    bool running_ = false;
    bool low_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastCheck_;
};

}  // namespace kestrune
