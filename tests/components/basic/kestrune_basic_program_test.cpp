// kestrune-basic as a user runs it: exit status, stdout and stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kestrune::testing_support {
namespace {

struct ProgramRun {
    int status = -1;
    std::string out;  // stdout and stderr together
};

ProgramRun runProgram(const std::string& source, const std::string& extra = "") {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kb_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "script.bas";
    std::ofstream(file) << source;
    const std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kestrune-basic").string();
    const std::string command = program + " " + (source.empty() ? "" : file.string()) + " " + extra + " 2>&1";
    ProgramRun r;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::filesystem::remove_all(dir);
    return r;
}

TEST(KestruneBasicProgram, RunsMainOrTheNamedEntry) {
    const std::string source = "Sub Main()\nPrint \"main\"\nEnd Sub\nSub Other()\nPrint 1 + 1\nEnd Sub\n";
    ProgramRun r = runProgram(source);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "main\n");
    r = runProgram(source, "--entry Other");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, " 2 \n");
    r = runProgram(source, "--entry Missing");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("no Sub named Missing"), std::string::npos);
}

TEST(KestruneBasicProgram, ErrorsNameTheirLine) {
    ProgramRun r = runProgram("Sub Main()\nPrint (\nEnd Sub\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("line 2"), std::string::npos) << r.out;
    r = runProgram("Sub Main()\nPrint \"before\"\nx = 1 / 0\nEnd Sub\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("before\n"), std::string::npos);
    EXPECT_NE(r.out.find("run-time error 11 at line 3"), std::string::npos) << r.out;
}

TEST(KestruneBasicProgram, HelpAndUsage) {
    ProgramRun r = runProgram("", "--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Usage: kestrune-basic"), std::string::npos);
    EXPECT_EQ(runProgram("", "").status, 2);
    EXPECT_EQ(runProgram("", "--bogus").status, 2);
}

}  // namespace
}  // namespace kestrune::testing_support
