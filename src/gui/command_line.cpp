#include "gui/command_line.h"

namespace kestrune {

LaunchOptions parseCommandLine(const std::vector<std::string>& args) {
    LaunchOptions out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--version") {
            out.version = true;
        } else if (arg == "--runtime") {
            out.runtime = true;
        } else if (arg == "--screenshot") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                out.error = "--screenshot needs the PNG file to write";
                return out;
            }
            out.screenshot = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            out.error = "unknown option " + arg;
            return out;
        } else if (!out.strategy.empty()) {
            out.error = "only one strategy file may be given";
            return out;
        } else {
            out.strategy = arg;
        }
    }
    if (out.help || out.version) return out;
    if (out.runtime && out.strategy.empty())
        out.error = "--runtime needs the strategy file";
    else if (!out.screenshot.empty() && out.strategy.empty())
        out.error = "--screenshot needs the strategy file";
    return out;
}

std::string usageText() {
    return "usage: kestrune [FILE]\n"
           "       kestrune --runtime FILE\n"
           "       kestrune --screenshot PNG FILE\n"
           "       kestrune --help | --version\n";
}

}  // namespace kestrune
