#pragma once
// The one place where files are written. Replacing a file goes through a
// temporary file with a name of its own in the same directory: the new content
// is written to it whole, flushed to the disk and only then renamed over the
// old name; the directory is flushed too, so that the rename itself survives
// a crash. A replacement that fails half-way (disk full, a crash, a bad
// block) removes its temporary file and leaves the old one byte for byte.
// Reading a file in one go and writing all of a buffer live here as well.
//
// The system calls go through FileSystemCalls so that tests can make any of
// them fail or come up short.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kestrune {

class FileSystemCalls {
  public:
    virtual ~FileSystemCalls() = default;
    // Each returns what the POSIX call returns and leaves errno set on failure.
    virtual int open(const char* path, int flags, int mode);
    virtual long read(int fd, void* data, std::size_t size);
    virtual long write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int fdatasync(int fd);
    virtual int ftruncate(int fd, long long size);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);

    // The real calls.
    static FileSystemCalls& system();
};

// 32860 "Cannot open file" (the string table sits in a module above this one).
inline constexpr Code kFileFailure = 32860;
// Larger than any file this program reads whole; a file beyond it is refused.
inline constexpr std::size_t kLargestWholeFile = std::size_t{1} << 30;

// Writes all of `data` to `fd`, carrying on after a short write or EINTR.
// False with errno set when the descriptor refuses the rest (EIO for a write
// that takes nothing); part of the data may then be written.
bool writeAll(int fd, std::span<const std::uint8_t> data, FileSystemCalls& calls = FileSystemCalls::system());
bool writeAll(int fd, std::string_view text, FileSystemCalls& calls = FileSystemCalls::system());

// The whole regular file. 32860 with "<path>: <step>: <reason>" when it cannot
// be opened or read or is larger than `largest`; errno then holds the reason
// (ENOENT for a missing file) and `data` is left as it was.
Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& data,
                     std::size_t largest = kLargestWholeFile,
                     FileSystemCalls& calls = FileSystemCalls::system());

// Replaces `path` with `data` as described above. A new file gets the usual
// permissions, an existing one keeps its own; through a symbolic link the
// file it names is replaced and the link stays. 32860 with "<path>: <step>:
// <reason>" on failure (errno holds the reason), with the old file untouched.
Status replaceFileSafely(const std::string& path, std::span<const std::uint8_t> data,
                         FileSystemCalls& calls = FileSystemCalls::system());
Status replaceFileSafely(const std::string& path, std::string_view text,
                         FileSystemCalls& calls = FileSystemCalls::system());

// Moves `path` to `path` + `suffix` in the same directory without replacing
// anything there: when that name is taken, "-2", "-3" and so on are added.
// `keptAs` receives the new name. 32860 with "<path>: <step>: <reason>" when
// the file cannot be moved (it then stays where it was).
Status keepFileAside(const std::string& path, const std::string& suffix, std::string& keptAs);

}  // namespace kestrune
