#pragma once
// The desktop program's command line:
//   kestrune [FILE]                      the strategy to open
//   kestrune --runtime FILE              open it with the designers hidden
//   kestrune --screenshot PNG FILE       open it, grab the main window at
//                                        1280 x 800 into PNG and end

#include <string>
#include <vector>

namespace kestrune {

struct LaunchOptions {
    std::string strategy;
    bool runtime = false;
    std::string screenshot;  // empty: no screenshot
    bool help = false;
    bool version = false;
    std::string error;  // what is wrong with the command line; empty when fine

    bool ok() const { return error.empty(); }
};

// The arguments after the program name.
LaunchOptions parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

}  // namespace kestrune
