#include "app/event_log_files.h"

#include <utility>

#include "app/durable_file.h"
#include "platform/message_queue.h"

namespace kestrune {

namespace {

// A kept line holds a few bytes beyond the limit, so that the cut can see
// whether it falls inside a multi-byte character and step back before it.
constexpr std::size_t kLookahead = 3;

std::string cutLine(std::string line) {
    line.resize(utf8PrefixLength(line, kMaxLoadedLineLength));
    return line;
}

}  // namespace

void EventLineParser::feed(std::string_view piece) {
    for (const char c : piece) {
        if (c == '\n') {
            lines_.push_back(cutLine(std::move(current_)));
            current_.clear();
            seen_ = 0;
            continue;
        }
        if (c == '\r') continue;
        // Bytes past the limit are read and dropped, up to the line feed.
        if (seen_++ < kMaxLoadedLineLength + kLookahead) current_ += c;
    }
}

std::vector<std::string> EventLineParser::finish() {
    if (seen_ > 0) lines_.push_back(cutLine(std::move(current_)));
    current_.clear();
    seen_ = 0;
    return std::exchange(lines_, {});
}

std::vector<std::string> parseEventLines(std::string_view text) {
    EventLineParser parser;
    parser.feed(text);
    return parser.finish();
}

Status readEventLines(const std::string& path, std::vector<std::string>& lines) {
    EventLineParser parser;
    Status s = readFilePieces(path, [&](std::string_view piece) { parser.feed(piece); });
    lines = parser.finish();
    return s;
}

std::string joinEventLines(std::span<const std::string> lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

Status rollOverEventLines(const std::string& workingPath, const std::string& historyPath,
                          std::span<const std::string> lines, std::size_t& moved, FileSystemCalls& calls) {
    moved = 0;
    if (lines.size() <= kWorkingFileLines) return {};
    const auto older = lines.first(kWorkingFileLines);
    const auto newer = lines.subspan(kWorkingFileLines);
    if (Status s = appendDurably(historyPath, joinEventLines(older), calls); !s) return s;
    if (Status s = replaceFileSafely(workingPath, joinEventLines(newer), calls); !s) return s;
    moved = older.size();
    return {};
}

}  // namespace kestrune
