#include "app/event_printer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/temp_dir.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

// A stand-in for lp that records its arguments and its standard input.
class LpPrinterTest : public ::testing::Test {
  protected:
    LpPrinterTest() { writeScript(0); }

    void writeScript(int exitCode) {
        TempDir::write(script(), "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + (dir_ / "args").string() +
                                     "'\ncat > '" + (dir_ / "data").string() + "'\nexit " +
                                     std::to_string(exitCode) + "\n");
        std::filesystem::permissions(script(), std::filesystem::perms::owner_all);
    }
    std::string script() const { return (dir_ / "fake-lp").string(); }

    TempDir dir_;
};

TEST_F(LpPrinterTest, TheDataGoesRawAndUnchangedUnderTheDocumentName) {
    LpPrinter printer(script());
    EXPECT_TRUE(printer.check().ok());
    const std::string data = "*Tank high\r\nUser ann login at 10:00:00 03/07/2005\r\n";
    ASSERT_TRUE(printer.printRaw(data, "My Document").ok());
    EXPECT_EQ(TempDir::read(dir_ / "data"), data);
    EXPECT_EQ(TempDir::read(dir_ / "args"), "-o\nraw\n-t\nMy Document\n");
}

TEST_F(LpPrinterTest, ADestinationNamesThePrinter) {
    LpPrinter printer(script(), "events");
    ASSERT_TRUE(printer.printRaw("x\r\n", "My Document").ok());
    EXPECT_EQ(TempDir::read(dir_ / "args"), "-d\nevents\n-o\nraw\n-t\nMy Document\n");
}

TEST_F(LpPrinterTest, AFailingPrintCommandReportsItsStatus) {
    writeScript(3);
    LpPrinter printer(script());
    const Status s = printer.printRaw("x\r\n", "My Document");
    EXPECT_EQ(s.code, kMsgGenericError);
    EXPECT_NE(s.context.find("status 3"), std::string::npos) << s.context;
}

TEST(LpPrinterMissing, WithoutThePrintCommandPrintingSaysWhyAndNothingRuns) {
    LpPrinter printer("kestrune-no-such-print-command");
    const Status checked = printer.check();
    EXPECT_EQ(checked.code, kMsgGenericError);
    EXPECT_NE(checked.context.find("kestrune-no-such-print-command"), std::string::npos);
    EXPECT_EQ(printer.printRaw("x", "My Document").code, kMsgGenericError);
    EXPECT_EQ(LpPrinter("/nonexistent/lp").check().code, kMsgGenericError);
}

}  // namespace
}  // namespace kestrune
