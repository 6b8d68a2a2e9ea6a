#include "app/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

constexpr int kCreateMode = 0644;

int openRetrying(FileSystemCalls& calls, const char* path, int flags) {
    int fd;
    do fd = calls.open(path, flags | O_CLOEXEC, kCreateMode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

DurableAppendFile::~DurableAppendFile() {
    close();
}

Status DurableAppendFile::open(const std::string& path) {
    close();
    path_ = path;
    fd_ = openRetrying(calls_, path.c_str(), O_WRONLY | O_CREAT | O_APPEND);
    return fd_ >= 0 ? Status{} : failure();
}

void DurableAppendFile::close() {
    if (fd_ >= 0) calls_.close(fd_);
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
    if (writeAll(fd_, text, calls_)) return {};
    calls_.ftruncate(fd_, before.st_size);
    return failure();
}

Status DurableAppendFile::sync() {
    if (fd_ < 0) return failure();
    return calls_.fdatasync(fd_) == 0 ? Status{} : failure();
}

Status appendDurably(const std::string& path, std::string_view text, FileSystemCalls& calls) {
    DurableAppendFile file(calls);
    if (Status s = file.open(path); !s) return s;
    if (Status s = file.append(text); !s) return s;
    return file.sync();
}

Status touchFile(const std::string& path) {
    DurableAppendFile file;
    return file.open(path);
}

Status readFilePieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
    const int fd = openRetrying(FileSystemCalls::system(), path.c_str(), O_RDONLY);
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
