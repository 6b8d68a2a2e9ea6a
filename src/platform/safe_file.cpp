#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace kestrune {
namespace {

// Tries before giving up on finding a free temporary name; each collision
// means a file left by another program or an earlier crash.
constexpr int kNameAttempts = 100;

Status failure(const std::string& path, std::string_view what, int error) {
    Status status{kFileFailure, path + ": " + std::string(what) + ": " + std::strerror(error)};
    errno = error;
    return status;
}

std::string directoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// A name beside `path` in the way of mkstemp: the counter keeps the names of
// this process apart, the random letters those of other processes and of
// files an earlier crash left behind.
std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[pick(random)];
    const std::filesystem::path p(path);
    const std::string name = "." + p.filename().string() + ".saving-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter.fetch_add(1)) + "-" + suffix;
    return (p.parent_path() / name).string();
}

// Opens a temporary file of its own beside `path`; -1 with errno set.
int createTemporary(const std::string& path, int mode, FileSystemCalls& calls, std::string& temp) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temp = temporaryName(path);
        const int fd = calls.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR)) return fd;
    }
    return -1;
}

// The file a write to `requested` lands in: through a symbolic link, the
// file it names, so that the link stays a link.
std::string followLinks(const std::string& requested) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(requested, ec)) return requested;
    const std::filesystem::path target = std::filesystem::weakly_canonical(requested, ec);
    return ec ? requested : target.string();
}

}  // namespace

int FileSystemCalls::open(const char* path, int flags, int mode) {
    return ::open(path, flags, mode);
}
long FileSystemCalls::read(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size);
}
long FileSystemCalls::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileSystemCalls::fsync(int fd) {
    return ::fsync(fd);
}
int FileSystemCalls::fdatasync(int fd) {
    return ::fdatasync(fd);
}
int FileSystemCalls::ftruncate(int fd, long long size) {
    return ::ftruncate(fd, static_cast<off_t>(size));
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

bool writeAll(int fd, std::span<const std::uint8_t> data, FileSystemCalls& calls) {
    while (!data.empty()) {
        const long n = calls.write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool writeAll(int fd, std::string_view text, FileSystemCalls& calls) {
    return writeAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), calls);
}

Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& data, std::size_t largest,
                     FileSystemCalls& calls) {
    int fd;
    do fd = calls.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return failure(path, "open", errno);
    auto fail = [&](std::string_view what, int error) {
        calls.close(fd);
        return failure(path, what, error);
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail("open", errno);
    if (!S_ISREG(st.st_mode)) return fail("open", S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    if (static_cast<std::uintmax_t>(st.st_size) > largest) return fail("read", EFBIG);

    std::vector<std::uint8_t> buffer;
    buffer.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        const long n = calls.read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail("read", errno);
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        if (buffer.size() + static_cast<std::size_t>(n) > largest) return fail("read", EFBIG);
        buffer.insert(buffer.end(), chunk, chunk + n);
    }
    calls.close(fd);
    data = std::move(buffer);
    return {};
}

Status replaceFileSafely(const std::string& requested, std::span<const std::uint8_t> data,
                         FileSystemCalls& calls) {
    const std::string path = followLinks(requested);
    int mode = 0666;
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed) mode = static_cast<int>(st.st_mode & 07777);

    std::string temp;
    const int fd = createTemporary(path, mode, calls, temp);
    if (fd < 0) return failure(requested, "create a temporary file", errno);

    // The creation mode passes through the umask; an existing file's own mode must not.
    bool ok = !existed || ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
    ok = ok && writeAll(fd, data, calls);
    const char* step = ok ? "flush" : "write";
    ok = ok && calls.fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (calls.close(fd) != 0 && ok) {
        ok = false;
        error = errno;
        step = "close";
    }
    if (ok && calls.rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
        step = "rename";
    }
    if (!ok) {
        calls.unlink(temp.c_str());
        return failure(requested, step, error);
    }
    // The rename is in place; flushing the directory only makes it durable.
    const int dir = calls.open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        calls.fsync(dir);
        calls.close(dir);
    }
    return {};
}

Status keepFileAside(const std::string& path, const std::string& suffix, std::string& keptAs) {
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        keptAs = path + suffix + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
        // A hard link is made only where the name is free, so an earlier kept
        // file is never replaced; the old name goes once the new one exists.
        if (::link(path.c_str(), keptAs.c_str()) == 0) {
            if (::unlink(path.c_str()) != 0) return failure(path, "remove", errno);
            return {};
        }
        if (errno == EEXIST) continue;
        if (errno != EPERM && errno != ENOTSUP && errno != EXDEV) return failure(path, "link", errno);
        // A file system without hard links: rename to a name seen free.
        struct stat st {};
        if (::lstat(keptAs.c_str(), &st) == 0) continue;
        if (::rename(path.c_str(), keptAs.c_str()) == 0) return {};
        return failure(path, "rename", errno);
    }
    return failure(path, "find a free name", EEXIST);
}

Status replaceFileSafely(const std::string& path, std::string_view text, FileSystemCalls& calls) {
    return replaceFileSafely(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                             calls);
}

}  // namespace kestrune
