#pragma once
// The commands of kestrune-ksv, callable in-process (the program's main only
// hands its arguments over):
//
//   dump FILE [--password TEXT]    the strategy as JSON on `out`
//   build JSON_FILE -o FILE        a strategy file from that JSON
//   check FILE [--password TEXT]   loads the strategy and says what it holds
//   --help
//
// Messages go to `err` in the program's own words, the first line being the
// message as a message box would show it ("Invalid file format: " and the
// file name), then the details indented.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>

namespace kestrune::ksv {

// What the program exits with.
inline constexpr int kExitLoaded = 0;     // loaded (or written) without error
inline constexpr int kExitLoadError = 1;  // loaded with a load error (32910)
inline constexpr int kExitNotLoaded = 2;  // not loaded or not written; also bad arguments

struct KsvRunOptions {
    // The protection key's bits for build (random when empty).
    std::function<std::uint32_t()> randomKey;
};

// `args` without the program name.
int runKsv(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           const KsvRunOptions& options = {});

void printUsage(std::ostream& out);

}  // namespace kestrune::ksv
