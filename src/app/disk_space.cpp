#include "app/disk_space.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "app/text_format.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

std::string orWorkingDirectory(const std::string& directory) {
    return directory.empty() ? std::string(".") : directory;
}

}  // namespace

std::optional<std::uint64_t> freeDiskBytes(const std::string& directory) {
    struct statvfs fs {};
    if (::statvfs(orWorkingDirectory(directory).c_str(), &fs) != 0) return std::nullopt;
    const std::uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    return static_cast<std::uint64_t>(fs.f_bavail) * unit;
}

std::string fileSystemRoot(const std::string& directory) {
    const std::unique_ptr<char, decltype(&std::free)> real(
        ::realpath(orWorkingDirectory(directory).c_str(), nullptr), &std::free);
    if (!real) return directory;
    std::string path = real.get();
    struct stat here {};
    if (::stat(path.c_str(), &here) != 0) return path;
    // Climb while the parent is on the same device; where that stops is the mount point.
    while (path != "/") {
        const auto slash = path.find_last_of('/');
        const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
        struct stat up {};
        if (::stat(parent.c_str(), &up) != 0 || up.st_dev != here.st_dev) break;
        path = parent;
    }
    return path;
}

std::string lowDiskSpaceText(const std::string& directory, std::uint32_t bound) {
    return formatText(strings::text(kMsgDiskSpaceLow), {fileSystemRoot(directory), std::to_string(bound)});
}

DiskSpaceMonitor::DiskSpaceMonitor(MainQueue& mainQueue, const Clock& clock, Probe probe)
    : mainQueue_(mainQueue), clock_(clock), probe_(std::move(probe)) {}

bool DiskSpaceMonitor::isLow(const std::string& directory, std::uint32_t bound) const {
    const auto free = probe_(directory);
    return free && *free < bound;
}

void DiskSpaceMonitor::start(std::string directory, std::uint32_t bound) {
    directory_ = std::move(directory);
    bound_ = bound;
    running_ = true;
    low_ = false;
    lastCheck_.reset();
}

void DiskSpaceMonitor::stop() {
    running_ = false;
}

bool DiskSpaceMonitor::idle() {
    if (!running_) return false;
    const auto now = clock_.steadyNow();
    if (lastCheck_ && now - *lastCheck_ < kCheckInterval) return false;
    lastCheck_ = now;
    if (!low_) low_ = isLow(directory_, bound_);
    if (!low_) return false;
    return mainQueue_.post(kMsgRunErrorReport, static_cast<std::uint64_t>(kMsgDiskSpaceLow), bound_);
}

}  // namespace kestrune
