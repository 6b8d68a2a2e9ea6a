// Operators, precedence, the types of results and the classic conversions.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicExpressions, PrecedenceFollowsTheClassicOrder) {
    expectCases({
        {"Print 2 + 3 * 4", " 14 \n"},
        {"Print -2 ^ 2", "-4 \n"},
        {"Print 2 ^ 3 ^ 2", " 64 \n"},
        {"Print 2 ^ -1", " 0.5 \n"},
        {"Print 7 \\ 2 * 3", " 1 \n"},  // * binds tighter than \ .
        {"Print 10 Mod 4 + 1", " 3 \n"},
        {"Print 1 + 2 & 3", "33\n"},
        {"Print Not 1 = 2", "True\n"},
        {"Print 1 < 2 And 3 < 2 Or True", "True\n"},
        {"Print 5 And 3, 5 Or 3, 5 Xor 3", " 1             7             6 \n"},
        {"Print True Eqv False; False Imp False", "FalseTrue\n"},
        {"Print \"abc\" < \"abd\"; \"B\" > \"a\"", "TrueFalse\n"},
        {"Print \"ab\" Like \"a*\"; \"a1\" Like \"a#\"; \"b\" Like \"[!a]\"", "TrueTrueTrue\n"},
    });
}

TEST(BasicExpressions, ResultsWidenAndStoresCheckTheRange) {
    expectCases({
        {"Print 32767 + 1", " 32768 \n"},
        {"Dim i As Integer\ni = 32767\ni = i + 1", "", 6},
        {"Dim l As Long\nl = 2147483647\nl = l + 1", "", 6},
        {"Dim i%\ni = -32768\ni = -i", "", 6},
        {"Dim x\nx = 32767\nx = x + 1\nPrint x; VarType(x)", " 32768  3 \n"},
        {"Print 1 / 0", "", 11},
        {"Print 0 / 0", "", 6},
        {"Print 5 \\ 0", "", 11},
        {"Print 5 Mod 0", "", 11},
        {"Print 7 / 2; -7 \\ 2; -7 Mod 3", " 3.5 -3 -1 \n"},
        {"Print 1E308 * 10", "", 6},
        {"Print \"a\" * 2", "", 13},
    });
}

TEST(BasicExpressions, ConversionsRoundHalfToEven) {
    expectCases({
        {"Print CInt(2.5); CInt(3.5); CInt(-2.5); CLng(1.5)", " 2  4 -2  2 \n"},
        {"Print CInt(32767.5)", "", 6},
        {"Print CLng(\"12\") + 1; CDbl(\"1.5\"); CInt(True)", " 13  1.5 -1 \n"},
        {"Print CInt(\"x\")", "", 13},
        {"Dim i As Integer\ni = 2.5\nPrint i", " 2 \n"},
        {"Dim s As String\ns = 12.5\nPrint s & \"|\"", "12.5|\n"},
        {"Dim b As Boolean\nb = 5\nPrint b; CBool(0)", "TrueFalse\n"},
        {"Print \"3\" + 4; \"3\" + \"4\"; 3 & 4", " 7 3434\n"},
        {"Print Int(-2.5); Fix(-2.5); Int(2.7); Abs(-3); Sgn(-0.5)", "-3 -2  2  3 -1 \n"},
        {"Print CSng(1) / 3", " 0.333333333333333 \n"},
        {"Dim f As Single\nf = 1 / 3\nPrint f", " 0.3333333 \n"},
        {"Print 1E+20; 0.000001; 123456789012345#", " 1E+20  1E-06  123456789012345 \n"},
        {"Print &HFF; &HFFFF; &O17; &HFFFF&", " 255 -1  15  65535 \n"},
        {"Print Val(\" 12 34abc\"); Val(\"&H10\"); Val(\"x\")", " 1234  16  0 \n"},
    });
}

TEST(BasicExpressions, ConstantsAndSuffixes) {
    expectCases({
        {"Const A = 2 * 3, B = A + 1\nPrint A; B", " 6  7 \n"},
        {"Const S$ = \"x\" & \"y\"\nPrint S", "xy\n"},
        {"Dim a%, b&, c!, d#, e$\nPrint VarType(a); VarType(b); VarType(c); VarType(d); VarType(e)",
         " 2  3  4  5  8 \n"},
        {"x$ = 5\nPrint x$ & \"!\"", "5!\n"},
    });
    EXPECT_EQ(runScript(inMain("Const A = 1\nA = 2")).compileError, kBasicAssignToConstant);
}

}  // namespace
}  // namespace kestrune::testing_support
