#pragma once
// The two event log files beside the strategy: the working file
// "Kestrune.ELF" with the most recent lines and the history file
// "Kestrune.ELH" that older lines are moved to. Lines end with "\r\n".
//
// Reading follows the rule the event log window has always used: a line ends
// at a line feed, carriage returns are dropped, and only the first 120
// characters of a line are kept (the rest of an overlong line is skipped,
// it does not become a line of its own).

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

inline constexpr std::string_view kEventLogFileName = "Kestrune.ELF";
inline constexpr std::string_view kEventHistoryFileName = "Kestrune.ELH";
inline constexpr std::size_t kMaxLoadedLineLength = 120;
// A working file with more lines than this at start-up hands this many
// (its oldest) to the history file.
inline constexpr std::size_t kWorkingFileLines = 100;

// Splits text into lines by the reading rule; fed piece by piece, so a file
// of any size is read without holding it whole.
class EventLineParser {
  public:
    void feed(std::string_view piece);
    // Ends the last line when the text does not end with a line feed.
    std::vector<std::string> finish();

  private:
    std::vector<std::string> lines_;
    std::string current_;
    std::size_t seen_ = 0;  // characters of the current line, kept or not
};

std::vector<std::string> parseEventLines(std::string_view text);

// Every line of the file at `path`; a missing file has none.
Status readEventLines(const std::string& path, std::vector<std::string>& lines);

// Each line followed by "\r\n".
std::string joinEventLines(std::span<const std::string> lines);

// When `lines` (the working file as read) are more than kWorkingFileLines,
// appends the first kWorkingFileLines of them to the history file and makes
// the rest the new working file. The history is appended and synced before
// the working file is replaced, so a crash in between can at worst leave
// those lines in both files, never in neither. Returns the number of lines
// moved (0 when there were not enough), or the failure with the file's path.
// The working file is replaced safely (platform/safe_file.h).
Status rollOverEventLines(const std::string& workingPath, const std::string& historyPath,
                          std::span<const std::string> lines, std::size_t& moved,
                          FileSystemCalls& calls = FileSystemCalls::system());

}  // namespace kestrune
