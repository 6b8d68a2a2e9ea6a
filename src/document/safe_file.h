#pragma once
// Reading a strategy file in one go, and replacing one so that a save that
// fails half-way (disk full, a crash, a bad block) never destroys the file
// that was there: the new content goes to a temporary file in the same
// directory, is flushed to the disk and only then renamed over the old name;
// the directory is flushed too, so that the rename itself survives a crash.
// A failed save removes its temporary file and leaves the old one as it was.
//
// The system calls go through FileSystemCalls so that tests can make any of
// them fail.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/status.h"

namespace kestrune {

class FileSystemCalls {
  public:
    virtual ~FileSystemCalls() = default;
    // Each returns what the POSIX call returns and leaves errno set on failure.
    virtual int open(const char* path, int flags, int mode);
    virtual long write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);

    // The real calls.
    static FileSystemCalls& system();
};

// The whole file. 32860 "Cannot open file" with the path and the reason when
// it cannot be opened or read.
Status readWholeFile(const std::string& path, std::vector<std::uint8_t>& data);

// Replaces `path` with `data` as described above; a new file gets the usual
// permissions, an existing one keeps its own. 32860 with the path and the
// reason on failure, with the old file untouched.
Status replaceFileSafely(const std::string& path, std::span<const std::uint8_t> data,
                         FileSystemCalls& calls = FileSystemCalls::system());

}  // namespace kestrune
