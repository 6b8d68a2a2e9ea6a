#include "app/event_printer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/safe_file.h"
#include "resources/message_ids.h"

extern char** environ;

namespace kestrune {
namespace {

bool isExecutable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

// The job's data in an anonymous file that becomes lp's standard input: lp
// reads it at its own pace and no pipe can break under us.
int dataFile(std::string_view data) {
    const int fd = ::memfd_create("kestrune-print", MFD_CLOEXEC);
    if (fd < 0) return -1;
    if (!writeAll(fd, data) || ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

Status printFailure(std::string context) {
    return {kMsgGenericError, std::move(context)};
}

}  // namespace

LpPrinter::LpPrinter(std::string command, std::string destination)
    : command_(std::move(command)), destination_(std::move(destination)) {}

std::string LpPrinter::resolveCommand() const {
    if (command_.find('/') != std::string::npos) return isExecutable(command_) ? command_ : std::string();
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/bin:/bin";
    while (!dirs.empty()) {
        const auto colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + command_;
        if (isExecutable(candidate)) return candidate;
    }
    return {};
}

Status LpPrinter::check() {
    if (resolveCommand().empty())
        return printFailure("Events cannot be printed: the print command \"" + command_ +
                            "\" (CUPS client) was not found");
    return {};
}

Status LpPrinter::printRaw(std::string_view data, std::string_view documentName) {
    const std::string program = resolveCommand();
    if (program.empty()) return check();

    std::vector<std::string> args{command_};
    if (!destination_.empty()) args.insert(args.end(), {"-d", destination_});
    args.insert(args.end(), {"-o", "raw", "-t", std::string(documentName)});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const int input = dataFile(data);
    if (input < 0) return printFailure("Events cannot be printed: no room for the print job");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    // lp announces the job id on its output; the program has no use for it.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input);
    if (spawned != 0)
        return printFailure("Events cannot be printed: \"" + program + "\" could not be started");

    int status = 0;
    pid_t done;
    do done = ::waitpid(pid, &status, 0);
    while (done < 0 && errno == EINTR);
    if (done < 0) return printFailure("Events cannot be printed: \"" + program + "\" was lost");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return printFailure("Events cannot be printed: \"" + command_ + "\" ended with status " +
                            std::to_string(code));
    }
    return {};
}

}  // namespace kestrune
