// The text of a script: comments, continuation, case, separators, and the
// compiler's rewrites that must not change meaning (folding, fused forms).
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicText, CommentsContinuationAndCase) {
    expectCases({
        {"x = 1 + _\n    2 ' a comment\nPRINT X: Rem another\nprint x", " 3 \n 3 \n"},
        {"Rem whole line\nPrint \"it's\" ' quote inside a string is text", "it's\n"},
        {"Dim Total As Long\ntotal = 5\nPrint TOTAL", " 5 \n"},
        {"a_b = 2: Print a_b", " 2 \n"},
        {"Print \"a\"\"b\"", "a\"b\n"},
        {"x=1:y=2:Print x+y", " 3 \n"},
    });
    EXPECT_EQ(runScript(inMain("x = 99999999999999999999%")).compileError, kBasicSyntaxError);
    EXPECT_EQ(runScript(inMain("GoTo 1E30")).compileError, kBasicSyntaxError);
}

TEST(BasicText, RewritesKeepTheMeaning) {
    expectCases({
        // "x = x + term" runs in place only when the term ends the statement.
        {"s = 1\ns = s + 1 & \"x\"\nPrint s", "2x\n"},
        {"s = 1\ns = s + 2 * 3 - 1\nPrint s", " 6 \n"},
        {"s = \"a\"\ns = s & \"b\" & \"c\"\nt = s\ns = s & \"d\"\nPrint s; t", "abcdabc\n"},
        {"Dim n As Integer\nn = 5\nn = n & \"1\"\nPrint n + 1", " 52 \n"},
        {"Dim n As Long\nn = 2147483647\nn = n + 1", "", kBasicOverflow},
        // Constants fold at compile time, but their errors stay run-time errors.
        {"On Error Resume Next\nx = 1 / 0\nPrint Err.Number; 2 * 3 + 1", " 11  7 \n"},
        {"Dim i As Integer\ni = 300\nPrint i * 200", " 60000 \n"},
        {"x = 7\nPrint x Mod 3; x \\ 2; x - 10; x = 7; x <> 7; x * -1", " 1  3 -3 TrueFalse-7 \n"},
    });
}

TEST(BasicText, RandomNumbersRepeatFromASeed) {
    const ScriptOutcome out = runScript(inMain(
        "x = Rnd(-3)\na = Rnd: b = Rnd\nx = Rnd(-3)\nc = Rnd: d = Rnd\nPrint a = c; b = d; a <> b; a >= 0 And a < 1; Rnd(0) = d"));
    EXPECT_EQ(out.output, "TrueTrueTrueTrueTrue\n");
    EXPECT_EQ(runScript(inMain("Print VarType(Now); VarType(Timer); Year(Date) > 2000")).output, " 7  4 True\n");
}

}  // namespace
}  // namespace kestrune::testing_support
