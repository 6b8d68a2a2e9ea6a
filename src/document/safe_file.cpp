#include "document/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

// Larger than any strategy; a file beyond it is not one.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

Status failure(const std::string& path, std::string_view what, int error) {
    return {kMsgCannotOpenFile, path + ": " + std::string(what) + ": " + std::strerror(error)};
}

std::string directoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// A name beside `path` that no other save (of this or another process) uses.
std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path p(path);
    const std::string name = "." + p.filename().string() + ".saving-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter.fetch_add(1));
    return (p.parent_path() / name).string();
}

bool writeAll(FileSystemCalls& calls, int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const long n = calls.write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int FileSystemCalls::open(const char* path, int flags, int mode) {
    return ::open(path, flags, mode);
}
long FileSystemCalls::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileSystemCalls::fsync(int fd) {
    return ::fsync(fd);
}
int FileSystemCalls::close(int fd) {
    return ::close(fd);
}
int FileSystemCalls::rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileSystemCalls::unlink(const char* path) {
    return ::unlink(path);
}

FileSystemCalls& FileSystemCalls::system() {
    static FileSystemCalls calls;
    return calls;
}

Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& data) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(path, "open", errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failure(path, "open", error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failure(path, "open", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    std::vector<std::uint8_t> buffer;
    buffer.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), kMaxFileSize));
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return failure(path, "read", error);
        }
        if (n == 0) break;
        if (buffer.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
            ::close(fd);
            return failure(path, "read", EFBIG);
        }
        buffer.insert(buffer.end(), chunk, chunk + n);
    }
    ::close(fd);
    data = std::move(buffer);
    return {};
}

Status replaceFileSafely(const std::string& requested, std::span<const std::uint8_t> data,
                         FileSystemCalls& calls) {
    // Through a symbolic link the file it names is replaced, not the link.
    std::error_code ec;
    std::string path = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(requested, ec);
        if (!ec) path = target.string();
    }

    int mode = 0666;
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed) mode = static_cast<int>(st.st_mode & 07777);

    const std::string temp = temporaryName(path);
    const int fd = calls.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return failure(requested, "create a temporary file", errno);

    if (existed) ::fchmod(fd, static_cast<mode_t>(mode));
    bool ok = writeAll(calls, fd, data) && calls.fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (calls.close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && calls.rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        calls.unlink(temp.c_str());
        return failure(requested, "write", error);
    }
    // The rename is in place; flushing the directory only makes it durable.
    const int dir = calls.open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        calls.fsync(dir);
        calls.close(dir);
    }
    return {};
}

}  // namespace kestrune
