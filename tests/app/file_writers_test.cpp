// Every file the program replaces or appends to, with a disk that fails
// under it: a replaced file stays byte for byte what it was and no
// temporary file is left; an appended file is cut back to its last whole line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>

#include "app/event_log.h"
#include "app/event_log_files.h"
#include "app/run_error_log.h"
#include "components/tagdb/hold_file.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/profile_file.h"
#include "platform/temp_dir.h"
#include "support/failing_file_calls.h"

namespace kestrune {
namespace {

using testing_support::FailingFileCalls;
using testing_support::TempDir;
using Step = FailingFileCalls::Step;

std::string lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "old line " + std::to_string(i) + "\r\n";
    return text;
}

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct ReplacedFile {
    const char* name;
    std::string before;
    // Writes new content to `path` through `calls`.
    std::function<Status(const TempDir& dir, const std::string& path, FileSystemCalls& calls)> replace;
};

void PrintTo(const ReplacedFile& file, std::ostream* out) {
    *out << file.name;
}

const ReplacedFile kReplacedFiles[] = {
    {"Kestrune.INI", "[Run]\nKey=old\n",
     [](const TempDir&, const std::string& path, FileSystemCalls& calls) {
         return ProfileFile(path, calls).writeString("Run", "Key", "new");
     }},
    {"line1.HLD", "an older hold file",
     [](const TempDir&, const std::string& path, FileSystemCalls& calls) {
         return writeHoldFile(path, encodeHoldFile({{"TASK1", "I", 1, 1, {9000}, {}}}), calls);
     }},
    // More than a hundred lines: the oldest go to the history, the rest replace the working file.
    {"Kestrune.ELF", lines(101),
     [](const TempDir& dir, const std::string& path, FileSystemCalls& calls) {
         std::vector<std::string> read;
         if (Status s = readEventLines(path, read); !s) return s;
         std::size_t moved = 0;
         return rollOverEventLines(path, (dir / "Kestrune.ELH").string(), read, moved, calls);
     }},
};

class ReplacedFileTest : public ::testing::TestWithParam<std::tuple<ReplacedFile, Step>> {};

TEST_P(ReplacedFileTest, AFailedFlushOrRenameLeavesTheOldFileAndNoTemporary) {
    const auto& [file, step] = GetParam();
    TempDir dir;
    const std::string path = (dir / file.name).string();
    TempDir::write(path, file.before);

    FailingFileCalls works;
    ASSERT_TRUE(file.replace(dir, path, works).ok());
    ASSERT_NE(TempDir::read(path), file.before);  // the writer does replace the file
    TempDir::write(path, file.before);
    const auto names = namesIn(dir.path());

    FailingFileCalls failing(step, EIO);
    EXPECT_FALSE(file.replace(dir, path, failing).ok());
    EXPECT_EQ(TempDir::read(path), file.before);
    EXPECT_EQ(namesIn(dir.path()), names);
    EXPECT_FALSE(failing.created().empty());
}

INSTANTIATE_TEST_SUITE_P(EachFile, ReplacedFileTest,
                         ::testing::Combine(::testing::ValuesIn(kReplacedFiles),
                                            ::testing::Values(Step::Fsync, Step::Rename)),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param).name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name + (std::get<1>(info.param) == Step::Fsync ? "_fsync" : "_rename");
                         });

struct AppendedFile {
    const char* name;
    // Appends one line to the file in `dir` through `calls`.
    std::function<Status(const TempDir& dir, FileSystemCalls& calls)> append;
};

void PrintTo(const AppendedFile& file, std::ostream* out) {
    *out << file.name;
}

const AppendedFile kAppendedFiles[] = {
    {"Kestrune.ELF",
     [](const TempDir& dir, FileSystemCalls& calls) {
         MainQueue queue;
         ManualClock clock;
         CEventLog log(queue, clock, calls);
         log.setEnabled(true);
         if (Status s = log.open(dir.path().string()); !s) return s;
         if (Status s = log.addEvent(EventKind::Note, "a note long enough to be cut in two"); !s) return s;
         return log.writePendingLines();
     }},
    {"RUNERR.LOG",
     [](const TempDir& dir, FileSystemCalls& calls) {
         MainQueue queue;
         ManualClock clock;
         RunErrorLog log(queue, clock, calls);
         if (Status s = log.start(dir.path().string(), true); !s) return s;
         log.queue("Data Overrun:1");
         if (Status s = log.writeNext(); !s) return s;
         return log.stop();
     }},
};

class AppendedFileTest : public ::testing::TestWithParam<AppendedFile> {};

TEST_P(AppendedFileTest, AShortWriteIsCutBackToTheLastWholeLine) {
    TempDir dir;
    const std::string path = (dir / GetParam().name).string();
    TempDir::write(path, lines(3));
    FailingFileCalls works;
    ASSERT_TRUE(GetParam().append(dir, works).ok());
    const std::string grown = TempDir::read(path);
    ASSERT_GT(grown.size(), lines(3).size());

    FailingFileCalls full(Step::Write, ENOSPC);
    EXPECT_EQ(GetParam().append(dir, full).code, kFileFailure);
    EXPECT_EQ(TempDir::read(path), grown);
}

INSTANTIATE_TEST_SUITE_P(EachFile, AppendedFileTest, ::testing::ValuesIn(kAppendedFiles),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

}  // namespace
}  // namespace kestrune
