#include "platform/strategy_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/safe_file.h"
#include "platform/system_directory.h"
#include "platform/system_error_code.h"

namespace kestrune {
namespace {

// FNV-1a: a stable name for a path, the same in every process.
std::uint64_t pathHash(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string fullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    const std::filesystem::path full = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.string() : full.string();
}

std::string holderOf(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return "an unknown process";
    std::string pid(text, static_cast<std::size_t>(n));
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
    return "process " + pid;
}

Status systemFailure(const std::string& path, const char* step, int error) {
    return {systemErrorCode(error), path + ": " + step + ": " + std::strerror(error)};
}

// A folder that cannot take a new file: the lock goes elsewhere.
bool folderRefused(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

StrategyLock::StrategyLock(std::string fallbackDirectory) : fallbackDirectory_(std::move(fallbackDirectory)) {
    if (fallbackDirectory_.empty()) fallbackDirectory_ = (systemDirectory() / "locks").string();
}

StrategyLock::~StrategyLock() {
    release();
}

std::string StrategyLock::besidePath(const std::string& strategyPath) {
    return fullPath(strategyPath) + ".lock";
}

std::string StrategyLock::fallbackPath(const std::string& strategyPath) const {
    char name[40];
    std::snprintf(name, sizeof name, "strategy-%016llx.lock",
                  static_cast<unsigned long long>(pathHash(fullPath(strategyPath))));
    return (std::filesystem::path(fallbackDirectory_) / name).string();
}

Status StrategyLock::acquire(const std::string& strategyPath) {
    release();
    Status status = acquireAt(besidePath(strategyPath), strategyPath);
    if (status.ok() || !isSystemErrorCode(status.code) || !folderRefused(systemErrorNumber(status.code)))
        return status;
    std::error_code ignored;
    std::filesystem::create_directories(fallbackDirectory_, ignored);
    return acquireAt(fallbackPath(strategyPath), strategyPath);
}

Status StrategyLock::acquireAt(const std::string& lockPath, const std::string& strategyPath) {
    // A holder that ends removes the file; one that started meanwhile may
    // have locked a new file of the same name, so the lock only counts when
    // the file locked is still the one under the name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return systemFailure(lockPath, "open", errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            Status refused = error == EWOULDBLOCK
                                 ? Status{kStrategyLocked, strategyPath + ": held by " + holderOf(fd)}
                                 : systemFailure(lockPath, "lock", error);
            ::close(fd);
            return refused;
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
            locked.st_ino == named.st_ino && locked.st_dev == named.st_dev) {
            const std::string pid = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd, 0) != 0 || !writeAll(fd, pid)) {
                const int error = errno;
                ::unlink(lockPath.c_str());
                ::close(fd);
                return systemFailure(lockPath, "write", error);
            }
            fd_ = fd;
            path_ = lockPath;
            return {};
        }
        ::close(fd);
    }
    return systemFailure(lockPath, "lock", EAGAIN);
}

void StrategyLock::release() {
    if (fd_ < 0) return;
    // Removed while still locked, so that no other process locks the old file.
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

}  // namespace kestrune
