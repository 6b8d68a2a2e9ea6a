#pragma once
// Log files that must survive a crash of the program or of the machine.
//  - A text is appended with one write() on a descriptor opened with
//    O_APPEND; if the write comes up short (disk full), the file is cut back
//    to where it was. So after any crash an appended line is either whole at
//    the end of the file or absent, never half there.
//  - sync() makes what was appended durable; callers sync once after a batch.
// A log file that is replaced goes through replaceFileSafely
// (platform/safe_file.h). Failures are 32860 "Cannot open file" with the
// path as context.

#include <functional>
#include <string>
#include <string_view>

#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

class DurableAppendFile {
  public:
    explicit DurableAppendFile(FileSystemCalls& calls = FileSystemCalls::system()) : calls_(calls) {}
    ~DurableAppendFile();
    DurableAppendFile(const DurableAppendFile&) = delete;
    DurableAppendFile& operator=(const DurableAppendFile&) = delete;

    // Opens `path` for appending, creating it when missing and never
    // truncating it. Closes whatever was open before.
    Status open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Appends `text` whole or not at all.
    Status append(std::string_view text);
    // Flushes the appended data to the disk.
    Status sync();

  private:
    Status failure() const;

    FileSystemCalls& calls_;
    int fd_ = -1;
    std::string path_;
};

// Opens `path` (creating it), appends `text` whole or not at all, syncs and closes.
Status appendDurably(const std::string& path, std::string_view text,
                     FileSystemCalls& calls = FileSystemCalls::system());

// Creates `path` when it is missing, leaving an existing file untouched.
Status touchFile(const std::string& path);

// Reads `path` in pieces, handing each to `piece`; a missing file has no
// pieces and is not an error.
Status readFilePieces(const std::string& path, const std::function<void(std::string_view)>& piece);

}  // namespace kestrune
