#pragma once
// The command line of kestrune-run:
//   kestrune-run FILE [--duration SECONDS] [--watch TASK.TAG[N][,TASK.TAG...]]
//                [--password TEXT] [--yes | --no] [--quiet]
//   kestrune-run --help | --version

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/stderr_user_interface.h"

namespace kestrune {

// The exit statuses of kestrune-run.
inline constexpr int kExitStopped = 0;       // ran and stopped normally
inline constexpr int kExitUsage = 1;         // a bad command line, or the program could not start
inline constexpr int kExitNotLoaded = 2;     // the strategy could not be loaded
inline constexpr int kExitStartRefused = 3;  // the start was refused
inline constexpr int kExitErrorLimit = 4;    // stopped by the error limit
inline constexpr int kExitHoldNotSaved = 5;  // stopped, but the retained values were not saved

struct WatchedTag {
    std::string task;
    std::string tag;
    std::optional<std::uint16_t> element;  // one element of an array tag

    // As the command line spells it: "TASK.TAG" or "TASK.TAG[N]".
    std::string text() const;
};

struct RunOptions {
    std::string file;
    std::optional<double> durationSeconds;
    std::vector<WatchedTag> watch;
    std::optional<std::string> password;
    AutomaticAnswers::Policy answers = AutomaticAnswers::Policy::Cautious;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

struct ParsedRunOptions {
    RunOptions options;
    std::string error;  // empty when the command line was good
};

ParsedRunOptions parseRunOptions(const std::vector<std::string>& arguments);

// "TASK.TAG" or "TASK.TAG[N]" (split at the first '.'); nullopt when either
// part is empty or N is not an element number.
std::optional<WatchedTag> parseWatchedTag(const std::string& text);

std::string runUsage();

}  // namespace kestrune
