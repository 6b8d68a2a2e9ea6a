// Run-time errors: their number and line, On Error, Resume and the Err object.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicErrors, UnhandledErrorsReportNumberLineAndProcedure) {
    RecordingHost host;
    const ScriptOutcome out = runScript("Sub Inner()\n  x = 1\n  x = x / 0\nEnd Sub\nSub Main()\n  Inner\nEnd Sub\n", nullptr, &host);
    EXPECT_EQ(out.errorNumber, kBasicDivisionByZero);
    EXPECT_EQ(out.line, 3);
    ASSERT_EQ(host.reported.size(), 1u);
    EXPECT_EQ(host.reported[0].procedure, "INNER");
    EXPECT_EQ(host.reported[0].message, "Division by zero");
}

TEST(BasicErrors, OnErrorResumeNextContinuesWithTheNextStatement) {
    expectCases({
        {"On Error Resume Next\nx = 1 / 0\nPrint Err.Number; Err.Description\nErr.Clear\nPrint Err", " 11 Division by zero\n 0 \n"},
        {"On Error Resume Next\nDo\ni = i + 1\nx = 1 / 0\nLoop Until i = 3\nPrint i", " 3 \n"},
        // As in the classic language, a failing condition goes on into the Then part.
        {"On Error Resume Next\nIf 1 / 0 Then Print \"then\" Else Print \"else\"\nPrint \"next\"", "then\nnext\n"},
        {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nPrint Err.Number\nx = 1 / 0", "", 11},
    });
    // Resume Next in the caller skips the rest of the failing call.
    const ScriptOutcome out = runScript(
        "Sub Fails()\nx = 1 / 0\nPrint \"not here\"\nEnd Sub\nSub Main()\nOn Error Resume Next\nFails\nPrint Err.Number\nEnd Sub\n");
    EXPECT_EQ(out.output, " 11 \n");
}

TEST(BasicErrors, OnErrorGoToAndResume) {
    expectCases({
        {"On Error GoTo handler\nx = 1 / 0\nPrint \"skipped\"\nExit Sub\nhandler:\nPrint \"caught\"; Err.Number", "caught 11 \n"},
        {"On Error GoTo fix\nd = 0\nPrint 10 / d\nExit Sub\nfix:\nd = 2\nResume", " 5 \n"},
        {"On Error GoTo h\nx = 1 / 0\nPrint \"after\"\nExit Sub\nh:\nResume Next", "after\n"},
        {"On Error GoTo h\nx = 1 / 0\nExit Sub\nh:\nResume there\nthere:\nPrint \"label\"; Err.Number", "label 0 \n"},
        {"On Error GoTo h\nx = 1 / 0\nExit Sub\nh:\nx = 1 / 0", "", 11},
        {"Resume", "", 20},
    });
}

TEST(BasicErrors, ErrRaise) {
    expectCases({
        {"Err.Raise 1234", "", 1234},
        {"On Error Resume Next\nErr.Raise 5\nPrint Err.Number; Err.Description", " 5 Invalid procedure call or argument\n"},
        {"On Error Resume Next\nErr.Raise 600, \"src\", \"mine\"\nPrint Err.Description", "mine\n"},
        {"Err.Raise 0", "", 5},
    });
    const ScriptOutcome out = runScript(inMain("Print 1\nErr.Raise 7000"));
    EXPECT_EQ(out.line, 3);
}

}  // namespace
}  // namespace kestrune::testing_support
