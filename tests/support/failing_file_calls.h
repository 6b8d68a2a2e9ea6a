#pragma once
// File system calls that fail one chosen step with a chosen error, for the
// tests of everything that writes files. A failing write lets half of its
// data through first, as a disk that fills up does. A failing fsync leaves
// fdatasync alone, so that a log appended to before a replacement still gets
// there. Every temporary name the writer creates is kept.

#include <cerrno>
#include <fcntl.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/safe_file.h"

namespace kestrune::testing_support {

class FailingFileCalls : public FileSystemCalls {
  public:
    enum class Step { None, Open, Write, Fsync, Close, Rename };
    explicit FailingFileCalls(Step step = Step::None, int error = EIO) : step_(step), error_(error) {}
    // Not thread-safe: between file operations only.
    void failFrom(Step step, int error = EIO) {
        step_ = step;
        error_ = error;
        halfDone_ = false;
    }

    int open(const char* path, int flags, int mode) override {
        if ((flags & O_EXCL) != 0) {
            std::lock_guard lock(mutex_);
            created_.emplace_back(path);
        }
        return fail(Step::Open) ? -1 : FileSystemCalls::open(path, flags, mode);
    }
    long write(int fd, const void* data, std::size_t size) override {
        if (step_ == Step::Write && !halfDone_ && size > 1) {
            halfDone_ = true;
            return FileSystemCalls::write(fd, data, size / 2);
        }
        return fail(Step::Write) ? -1 : FileSystemCalls::write(fd, data, size);
    }
    int fsync(int fd) override { return fail(Step::Fsync) ? -1 : FileSystemCalls::fsync(fd); }
    int close(int fd) override {
        const int r = FileSystemCalls::close(fd);
        return fail(Step::Close) ? -1 : r;
    }
    int rename(const char* from, const char* to) override {
        return fail(Step::Rename) ? -1 : FileSystemCalls::rename(from, to);
    }

    // The names opened with O_EXCL, in order.
    std::vector<std::string> created() const {
        std::lock_guard lock(mutex_);
        return created_;
    }

  private:
    bool fail(Step step) {
        if (step != step_) return false;
        errno = error_;
        return true;
    }
    Step step_;
    int error_;
    bool halfDone_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> created_;
};

}  // namespace kestrune::testing_support
