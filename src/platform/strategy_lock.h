#pragma once
// One runtime per strategy. While a strategy runs, its runtime holds an
// advisory lock (flock) on a lock file that holds the holder's process id:
// "<strategy file>.lock" beside the strategy, or, when that folder cannot
// take the file (read-only), "strategy-<hash of the full path>.lock" in the
// system directory's "locks" folder. The kernel drops the lock when the
// process ends in any way, so a killed runtime never leaves a strategy
// locked; a stale file with no lock on it is simply taken over.

#include <string>

#include "platform/status.h"

namespace kestrune {

// "The strategy is already running in another process" (string table).
inline constexpr Code kStrategyLocked = 34290;

class StrategyLock {
  public:
    // `fallbackDirectory`: where the lock goes when the strategy's folder
    // cannot take it (the system directory's "locks" folder by default).
    explicit StrategyLock(std::string fallbackDirectory = {});
    ~StrategyLock();
    StrategyLock(const StrategyLock&) = delete;
    StrategyLock& operator=(const StrategyLock&) = delete;

    // Takes the lock for the strategy at `strategyPath`. kOk; kStrategyLocked
    // with "<strategy>: held by process <pid>" when another open lock holds
    // it (another process, or another StrategyLock in this one); a system error code (system_error_code.h)
    // with the lock file and the reason when no lock file can be made.
    Status acquire(const std::string& strategyPath);
    // Removes the lock file and drops the lock; nothing when none is held.
    void release();

    bool held() const { return fd_ >= 0; }
    const std::string& lockFilePath() const { return path_; }

    // The two places a strategy's lock file may be.
    static std::string besidePath(const std::string& strategyPath);
    std::string fallbackPath(const std::string& strategyPath) const;

  private:
    Status acquireAt(const std::string& lockPath, const std::string& strategyPath);

    std::string fallbackDirectory_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace kestrune
