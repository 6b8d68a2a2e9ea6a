// kestrune-basic: compiles a script file and runs one of its Subs, with Print
// going to stdout. Used to try scripts outside a strategy and by the
// benchmarks (see --help).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "components/basic/basic_engine.h"

namespace {

using namespace kestrune;

constexpr int kExitOk = 0;
constexpr int kExitScriptError = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: kestrune-basic FILE.bas [--entry NAME]\n"
    "Compiles FILE.bas and runs the Sub NAME (default Main). Print writes to stdout;\n"
    "MsgBox writes its prompt to stdout and answers OK.\n"
    "Exit status: 0 success; 1 compile error, unknown entry or unhandled run-time\n"
    "error (the error number and line are written to stderr); 2 usage error.\n";

class ConsoleHost : public BasicHost {
  public:
    void print(std::string_view line) override {
        std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
        std::cout.put('\n');
    }
    int messageBox(std::string_view prompt, int, std::string_view) override {
        print(prompt);
        return 1;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string file;
    std::string entry = "Main";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
        if (args[i] == "--entry" && i + 1 < args.size()) {
            entry = args[++i];
        } else if (!args[i].empty() && args[i][0] != '-' && file.empty()) {
            file = args[i];
        } else {
            std::cerr << "kestrune-basic: unexpected argument '" << args[i] << "'\n" << kUsage;
            return kExitUsage;
        }
    }
    if (file.empty()) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "kestrune-basic: cannot read " << file << "\n";
        return kExitScriptError;
    }
    std::ostringstream text;
    text << in.rdbuf();

    const BasicCompileResult compiled = compileBasic(text.str());
    if (!compiled.status.ok()) {
        std::cerr << "kestrune-basic: " << file << ": line " << compiled.line << ": compile error "
                  << compiled.errorNumber << ": " << basicErrorTextFor(compiled.errorNumber) << "\n";
        return kExitScriptError;
    }
    ConsoleHost host;
    BasicInstance script(compiled.module, host);
    const int index = script.findEntry(entry);
    if (index < 0) {
        std::cerr << "kestrune-basic: " << file << ": no Sub named " << entry << "\n";
        return kExitScriptError;
    }
    const BasicRunResult result = script.run(index);
    std::cout.flush();
    if (result.error.number != 0) {
        std::cerr << "kestrune-basic: " << file << ": run-time error " << result.error.number << " at line "
                  << result.error.line << " in " << result.error.procedure << ": " << result.error.message << "\n";
        return kExitScriptError;
    }
    return kExitOk;
}
