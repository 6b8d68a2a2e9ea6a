// kestrune-run: the headless runtime. Opens a strategy, runs it until a
// duration, a signal or its own stop, and stops it cleanly (see --help).
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/application.h"
#include "cli/path_context.h"
#include "cli/run/headless_run.h"
#include "cli/run/run_options.h"
#include "platform/stderr_user_interface.h"

namespace {

std::atomic<int> stopSignal{0};

extern "C" void onStopSignal(int signal) {
    stopSignal.store(signal);
}

// The first SIGINT or SIGTERM asks for the orderly stop; the handler then
// goes back to the default, so a second one ends the program at once.
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrune;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedRunOptions parsed = parseRunOptions(arguments);
    const RunOptions& options = parsed.options;
    if (options.help) {
        std::cout << runUsage();
        return kExitStopped;
    }
    if (options.version) {
        std::printf("kestrune-run %s\n", KESTRUNE_VERSION);
        return kExitStopped;
    }
    if (!parsed.error.empty()) {
        std::cerr << "kestrune-run: " << parsed.error << "; see --help\n";
        return kExitUsage;
    }
    catchStopSignals();

    AutomaticAnswers answers;
    answers.questions = options.answers;
    answers.text = options.password;
    StderrUserInterface ui(std::cerr, answers);
    ApplicationOptions appOptions;
    appOptions.ui = &ui;
    // The event log opens beside the strategy, never in the working directory.
    appOptions.eventLogDirectory.reset();
    Application app(std::move(appOptions));
    if (!app.initialize(options.file)) return kExitUsage;
    if (const Status& opened = app.openStatus(); !opened) {
        // The message box only says that loading failed; the reader knows where.
        if (!opened.context.empty()) std::cerr << "  " << fileContext(options.file, opened.context) << '\n';
        return kExitNotLoaded;
    }

    int status = kExitStopped;
    {
        HeadlessRun run(app, options, std::cout, std::cerr, stopSignal);
        status = run.run();
    }
    app.exit();
    return status;
}
