#pragma once
// Runs script text for the tests: the printed lines, or the compile or
// run-time error number and line.

#include <string>
#include <string_view>
#include <vector>

#include "components/basic/basic_engine.h"
#include "components/basic/basic_errors.h"

namespace kestrune::testing_support {

class RecordingHost : public BasicHost {
  public:
    void print(std::string_view line) override { output += std::string(line) + "\n"; }
    int messageBox(std::string_view prompt, int buttons, std::string_view title) override {
        messages.push_back(std::string(prompt) + "|" + std::to_string(buttons) + "|" + std::string(title));
        return 6;  // Yes
    }
    void runtimeError(const BasicRunError& error) override { reported.push_back(error); }

    std::string output;
    std::vector<std::string> messages;
    std::vector<BasicRunError> reported;
};

struct ScriptOutcome {
    std::string output;
    int compileError = 0;
    int errorNumber = 0;  // run time
    int line = 0;         // of either error
};

inline ScriptOutcome runScript(std::string_view source, const BasicLibrary* library = nullptr,
                               BasicHost* host = nullptr, std::string_view entry = "Main") {
    ScriptOutcome out;
    const BasicCompileResult compiled = compileBasic(source, library);
    if (!compiled.status.ok()) {
        out.compileError = compiled.errorNumber;
        out.line = compiled.line;
        return out;
    }
    RecordingHost recording;
    BasicHost& used = host ? *host : recording;
    BasicInstance script(compiled.module, used);
    const BasicRunResult r = script.run(entry);
    out.output = recording.output;
    out.errorNumber = r.error.number;
    out.line = r.error.line;
    if (!r.status.ok()) out.errorNumber = -1;
    return out;
}

// The body of Sub Main, one statement per string.
inline std::string inMain(std::string_view body) {
    return "Sub Main()\n" + std::string(body) + "\nEnd Sub\n";
}

// One table row: a script body and what Print writes, or the run-time error.
struct PrintCase {
    const char* body;
    const char* printed;  // ignored when error != 0
    int error = 0;
};

}  // namespace kestrune::testing_support

#include <gtest/gtest.h>

namespace kestrune::testing_support {

inline void expectCases(const std::vector<PrintCase>& cases) {
    for (const PrintCase& c : cases) {
        SCOPED_TRACE(c.body);
        const ScriptOutcome out = runScript(inMain(c.body));
        EXPECT_EQ(out.compileError, 0);
        EXPECT_EQ(out.errorNumber, c.error);
        if (c.error == 0) {
            EXPECT_EQ(out.output, c.printed);
        }
    }
}

}  // namespace kestrune::testing_support
