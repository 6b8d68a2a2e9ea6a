#include "cli/run/run_options.h"

#include <cmath>
#include <cstdlib>

namespace kestrune {
namespace {

// "--name=value" or "--name value"; false when the value is missing.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

bool isOption(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0);
}

std::optional<double> parseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(value) || value <= 0.0) return std::nullopt;
    return value;
}

}  // namespace

std::string WatchedTag::text() const {
    std::string text = task + "." + tag;
    if (element) text += "[" + std::to_string(*element) + "]";
    return text;
}

std::optional<WatchedTag> parseWatchedTag(const std::string& text) {
    const auto dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size()) return std::nullopt;
    WatchedTag watched{text.substr(0, dot), text.substr(dot + 1), std::nullopt};
    const auto open = watched.tag.find('[');
    if (open == std::string::npos) {
        if (watched.tag.find(']') != std::string::npos) return std::nullopt;
        return watched;
    }
    const std::string digits = watched.tag.substr(open + 1, watched.tag.size() - open - 2);
    if (open == 0 || watched.tag.back() != ']' || digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long element = std::stoul(digits);
    if (element > 0xFFFF) return std::nullopt;
    watched.element = static_cast<std::uint16_t>(element);
    watched.tag.erase(open);
    return watched;
}

ParsedRunOptions parseRunOptions(const std::vector<std::string>& args) {
    ParsedRunOptions parsed;
    RunOptions& o = parsed.options;
    auto fail = [&](std::string error) {
        parsed.error = std::move(error);
        return parsed;
    };
    bool answered = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--quiet" || arg == "-q") {
            o.quiet = true;
        } else if (arg == "--yes" || arg == "--no") {
            const auto policy =
                arg == "--yes" ? AutomaticAnswers::Policy::Yes : AutomaticAnswers::Policy::Cautious;
            if (answered && policy != o.answers) return fail("--yes and --no exclude each other");
            o.answers = policy;
            answered = true;
        } else if (isOption(arg, "--duration")) {
            if (!takeValue(args, i, "--duration", value)) return fail("--duration needs a number of seconds");
            const auto seconds = parseSeconds(value);
            if (!seconds) return fail("--duration: not a positive number of seconds: " + value);
            o.durationSeconds = seconds;
        } else if (isOption(arg, "--watch")) {
            if (!takeValue(args, i, "--watch", value)) return fail("--watch needs TASK.TAG or TASK.TAG[N]");
            std::size_t start = 0;
            while (start <= value.size()) {
                const auto comma = value.find(',', start);
                const std::string item =
                    value.substr(start, comma == std::string::npos ? comma : comma - start);
                const auto tag = parseWatchedTag(item);
                if (!tag) return fail("--watch: not TASK.TAG or TASK.TAG[N]: " + item);
                o.watch.push_back(*tag);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (isOption(arg, "--password")) {
            if (!takeValue(args, i, "--password", value)) return fail("--password needs a text");
            o.password = value;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return fail("unknown option: " + arg);
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            return fail("more than one strategy file: " + arg);
        }
    }
    if (o.file.empty() && !o.help && !o.version) return fail("no strategy file given");
    return parsed;
}

std::string runUsage() {
    return R"(usage: kestrune-run FILE [--duration SECONDS] [--watch TASK.TAG[N][,TASK.TAG...]]
                    [--password TEXT] [--yes | --no] [--quiet]
       kestrune-run --help | --version

Opens the strategy FILE, starts it and runs it until the duration ends, SIGINT
or SIGTERM arrives, or the strategy stops itself (its error limit, a stop
command of a block or script, or its last task ending with no task left that
could still start). Then the full stop sequence runs: every task thread ends,
the held tag values are saved to the hold file and the stop event is written.

Options:
  --duration SECONDS  stop after this many seconds (a decimal number > 0);
                      without it the run lasts until a signal or its own stop
  --watch LIST        once per second print one line: the elapsed seconds with
                      one decimal, then TASK.TAG=value for each tag of the
                      comma-separated list (arrays as [v0,v1,...]; TASK.TAG[N]
                      is element N of an array, counted from 0); a tag the
                      tag database does not have is reported once at the
                      start and left out; may be repeated
  --password TEXT     the password of a protected strategy (answers every
                      password prompt)
  --yes               answer every question OK / Yes (an unsaved strategy is
                      saved before the run)
  --no                answer every question Cancel / No (the default: the
                      safe answer that changes nothing)
  --quiet             print only the --watch lines (messages still go to stderr)
  --help              this text
  --version           the program's version

Output (stdout), unless --quiet:
  HH:MM:SS TEXT       a run error as it is reported, and each change of the
                      status text ("Running normally", "Stopped normally")
  HH:MM:SS state: S   the run's state: running, paused, locked, stopping, stopped
  event: LINE         each line added to the event log
Message boxes and questions go to stderr with the answer given.

The settings file "Kestrune.INI" is read from $KESTRUNE_HOME, else
$XDG_CONFIG_HOME/kestrune, else ~/.config/kestrune.

Exit status:
  0  the strategy ran and stopped normally
  1  a bad command line, or the program itself could not start
  2  the strategy could not be loaded (also when only part of it loaded)
  3  the start was refused (the reason is on stderr), also when another
     runtime or desktop program runs the same strategy: while it runs, a
     strategy is locked through "<strategy file>.lock" beside it (in the
     "locks" folder of the settings directory when its folder is read-only)
  4  the run was stopped by the strategy's error limit
  5  the run stopped but its retained values (the hold file) could not be
     saved; the hold file of the run before is left as it was. This
     status comes before 4.
)";
}

}  // namespace kestrune
