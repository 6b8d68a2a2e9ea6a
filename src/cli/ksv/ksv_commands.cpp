#include "cli/ksv/ksv_commands.h"

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/ksv/json_format.h"
#include "cli/ksv/ksv_environment.h"
#include "cli/ksv/strategy_json.h"
#include "cli/path_context.h"
#include "document/document_commands.h"
#include "document/strategy_file.h"
#include "platform/safe_file.h"
#include "platform/stderr_user_interface.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune::ksv {
namespace {

struct Arguments {
    std::string command;
    std::vector<std::string> files;
    std::optional<std::string> password;
    std::optional<std::string> output;
    std::string problem;  // empty when the arguments make sense
};

// "--name VALUE" or "--name=VALUE"; false when `arg` is not this option.
bool takeOption(std::span<const std::string> args, std::size_t& i,
                std::initializer_list<std::string_view> names, std::optional<std::string>& value,
                std::string& problem) {
    const std::string& arg = args[i];
    for (const std::string_view name : names) {
        if (arg == name) {
            if (i + 1 >= args.size()) {
                problem = std::string(name) + " needs a value";
            } else {
                value = args[++i];
            }
            return true;
        }
        if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
            value = arg.substr(name.size() + 1);
            return true;
        }
    }
    return false;
}

Arguments parse(std::span<const std::string> args) {
    Arguments a;
    if (args.empty()) {
        a.problem = "no command given";
        return a;
    }
    a.command = args[0];
    for (std::size_t i = 1; i < args.size() && a.problem.empty(); ++i) {
        if (takeOption(args, i, {"--password"}, a.password, a.problem)) continue;
        if (takeOption(args, i, {"-o", "--output"}, a.output, a.problem)) continue;
        if (args[i].size() > 1 && args[i][0] == '-') {
            a.problem = "unknown option " + args[i];
        } else {
            a.files.push_back(args[i]);
        }
    }
    if (!a.problem.empty()) return a;
    const bool build = a.command == "build";
    if (!build && a.command != "dump" && a.command != "check") {
        a.problem = "unknown command " + a.command;
    } else if (a.files.size() != 1) {
        a.problem = a.command + " takes one file";
    } else if (build && !a.output) {
        a.problem = "build needs the strategy file to write (-o FILE)";
    } else if (build && a.password) {
        a.problem = "build takes the password from the JSON (\"password\")";
    } else if (!build && a.output) {
        a.problem = a.command + " writes no file";
    }
    return a;
}

// The message as the program words it, then what went wrong and where.
void report(std::ostream& err, const Status& status, std::string_view file) {
    std::string text = strings::text(status.code);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.ends_with(": ")) text += file;
    err << text << '\n';
    if (!status.context.empty()) err << "  " << fileContext(file, status.context) << '\n';
}

// Reads FILE into `document`: the exit status, with the messages written.
int load(const Arguments& a, StrategyDocument& document, UserInterface& ui, std::ostream& err) {
    const std::string& file = a.files.front();
    std::vector<std::uint8_t> data;
    if (Status s = readWholeFile(file, data); !s) {
        report(err, {s.code, {}}, file);
        if (!s.context.empty()) err << "  " << s.context << '\n';
        return kExitNotLoaded;
    }
    StrategyReadOptions options;
    options.ui = &ui;
    options.password = a.password;
    const StrategyReadResult result = readStrategy(document, data, options);
    if (!result.contentsReplaced) {
        report(err, result.status, file);
        if (result.status.code == kMsgPasswordUnmatched && !a.password) {
            err << "  " << file << " is protected: give its password with --password\n";
        }
        return kExitNotLoaded;
    }
    if (!result.status) {
        report(err, result.status, file);
        return kExitLoadError;
    }
    return kExitLoaded;
}

void summarise(std::ostream& out, const StrategyDocument& document, std::string_view file) {
    out << file << ": strategy version " << document.version().text() << ", "
        << (document.protection().isProtected() ? "protected" : "not protected") << '\n';
    for (const auto& task : document.tasks()) {
        out << "  task " << task->name() << ": blocks " << task->graph().nodes().size() << ", wires "
            << task->graph().wires().size() << '\n';
    }
    out << "  virtual tags " << document.virtualTags().size() << ", network task names "
        << document.networkTaskNames().size() << '\n';
}

int build(const Arguments& a, KsvEnvironment& env, UserInterface& ui, std::ostream& err,
          const KsvRunOptions& options) {
    const std::string& jsonFile = a.files.front();
    std::vector<std::uint8_t> data;
    if (Status s = readWholeFile(jsonFile, data); !s) {
        report(err, {s.code, {}}, jsonFile);
        if (!s.context.empty()) err << "  " << s.context << '\n';
        return kExitNotLoaded;
    }
    Json json;
    if (Status s = parseJson({reinterpret_cast<const char*>(data.data()), data.size()}, json); !s) {
        report(err, s, jsonFile);
        return kExitNotLoaded;
    }
    std::unique_ptr<StrategyDocument> document = env.newDocument(&ui, options.randomKey);
    if (Status s = buildStrategy(json, *document); !s) {
        report(err, s, jsonFile);
        return kExitNotLoaded;
    }
    // A record the file cannot frame (a script too long for its task's
    // record) is the JSON's problem, found before anything is written.
    BinaryWriter scratch;
    if (Status s = writeStrategy(*document, scratch, 0); !s) {
        report(err, invalidAt("(top)", s.context), jsonFile);
        return kExitNotLoaded;
    }
    if (Status s = WriteStrategyFile(*document, *a.output); !s) {
        report(err, {s.code, {}}, *a.output);
        if (!s.context.empty()) err << "  " << s.context << '\n';
        return kExitNotLoaded;
    }
    return kExitLoaded;
}

}  // namespace

void printUsage(std::ostream& out) {
    out << "usage: kestrune-ksv dump FILE [--password TEXT]\n"
           "       kestrune-ksv build JSON_FILE -o FILE\n"
           "       kestrune-ksv check FILE [--password TEXT]\n"
           "       kestrune-ksv --help | --version\n"
           "\n"
           "  dump   print the strategy FILE as JSON on standard output\n"
           "  build  write the strategy FILE from JSON_FILE; fields left out take the\n"
           "         values a new object gets, and a \"password\" makes it protected\n"
           "  check  load the strategy FILE and say what it holds\n"
           "\n"
           "Exit status: 0 loaded (or written) without error; 1 loaded with a load\n"
           "error; 2 not loaded or not written (not a strategy, a version that cannot\n"
           "be read, a wrong or missing password, an unreadable file, bad JSON, bad\n"
           "arguments).\n";
}

int runKsv(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           const KsvRunOptions& options) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(out);
        return kExitLoaded;
    }
    const Arguments a = parse(args);
    if (!a.problem.empty()) {
        err << "kestrune-ksv: " << a.problem << "; see --help\n";
        return kExitNotLoaded;
    }
    StderrUserInterface ui(err);
    KsvEnvironment env;
    if (!env.registration()) {
        report(err, env.registration(), "kestrune-ksv");
        return kExitNotLoaded;
    }
    if (a.command == "build") return build(a, env, ui, err, options);

    std::unique_ptr<StrategyDocument> document = env.newDocument(&ui);
    const int status = load(a, *document, ui, err);
    if (status == kExitNotLoaded) return status;
    if (a.command == "dump") {
        const Json json = dumpStrategy(*document);
        for (const std::string& path : textsNotUtf8(json)) {
            err << "  " << a.files.front() << ": " << path
                << " is not UTF-8 text: the bytes that do not fit show as U+FFFD and do not build back\n";
        }
        out << formatJson(json) << '\n';
    } else {
        summarise(out, *document, a.files.front());
    }
    return status;
}

}  // namespace kestrune::ksv
