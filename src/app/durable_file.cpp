#include "app/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

constexpr int kCreateMode = 0644;

int openRetrying(const char* path, int flags) {
    int fd;
    do fd = ::open(path, flags | O_CLOEXEC, kCreateMode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `text`; false when the descriptor refused part of it.
bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void syncDirectory(const std::string& path) {
    // Makes the rename itself durable; a file system that cannot sync a
    // directory still has the data, so a failure here is not reported.
    const int dir = openRetrying(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

DurableAppendFile::~DurableAppendFile() {
    close();
}

Status DurableAppendFile::open(const std::string& path) {
    close();
    path_ = path;
    fd_ = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_APPEND);
    return fd_ >= 0 ? Status{} : failure();
}

void DurableAppendFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Status DurableAppendFile::failure() const {
    return {kMsgCannotOpenFile, path_};
}

Status DurableAppendFile::append(std::string_view text) {
    if (fd_ < 0) return failure();
    if (text.empty()) return {};
    struct stat before {};
    if (::fstat(fd_, &before) != 0) return failure();
    // One write() normally takes the whole line; a second one only follows a
    // short write, and a failure after it cuts the file back so that no
    // fragment of the line stays.
    if (writeAll(fd_, text)) return {};
    ::ftruncate(fd_, before.st_size);
    return failure();
}

Status DurableAppendFile::sync() {
    if (fd_ < 0) return failure();
    return ::fdatasync(fd_) == 0 ? Status{} : failure();
}

Status appendDurably(const std::string& path, std::string_view text) {
    DurableAppendFile file;
    if (Status s = file.open(path); !s) return s;
    if (Status s = file.append(text); !s) return s;
    return file.sync();
}

Status touchFile(const std::string& path) {
    DurableAppendFile file;
    return file.open(path);
}

Status replaceDurably(const std::string& path, std::string_view content) {
    const std::string temp = path + ".tmp";
    const int fd = openRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) return {kMsgCannotOpenFile, temp};
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return {kMsgCannotOpenFile, path};
    }
    syncDirectory(path);
    return {};
}

Status readFilePieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
    const int fd = openRetrying(path.c_str(), O_RDONLY);
    if (fd < 0) return errno == ENOENT ? Status{} : Status{kMsgCannotOpenFile, path};
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return {kMsgCannotOpenFile, path};
        }
        if (n == 0) break;
        piece(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return {};
}

}  // namespace kestrune
