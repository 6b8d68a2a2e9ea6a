// Fixed and dynamic arrays, ReDim Preserve, LBound and UBound.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicArrays, FixedArrays) {
    expectCases({
        {"Dim a(3) As Integer\na(3) = 7\nPrint a(0); a(3); LBound(a); UBound(a)", " 0  7  0  3 \n"},
        {"Dim a(1 To 2, 3)\na(2, 3) = \"x\"\nPrint a(2, 3); UBound(a, 1); UBound(a, 2); LBound(a, 1)", "x 2  3  1 \n"},
        {"Dim a(3)\na(4) = 1", "", 9},
        {"Dim a(1 To 3)\nPrint a(0)", "", 9},
        {"Dim a(2, 2)\nPrint a(1)", "", 9},
        {"Dim a(3) As Integer\na(1) = 70000", "", 6},
        {"Dim a(3)\nReDim a(5)", "", 10},
        {"Dim a(2) As String\na(1) = \"q\"\nErase a\nPrint \"[\" & a(1) & \"]\"; UBound(a)", "[] 2 \n"},
        {"Dim a(5 To 1)", "", 9},
        {"Dim a(100000000)", "", 7},
    });
}

TEST(BasicArrays, DynamicArrays) {
    expectCases({
        {"Dim a() As Long\nReDim a(2)\na(2) = 5\nReDim Preserve a(4)\nPrint a(2); UBound(a)", " 5  4 \n"},
        {"Dim a()\nReDim a(1 To 3)\na(3) = 1\nReDim a(1 To 3)\nPrint IsEmpty(a(3))", "True\n"},
        {"ReDim b(2, 2)\nb(1, 2) = 3\nReDim Preserve b(3, 3)\nPrint b(1, 2)", " 3 \n"},
        {"Dim a()\nPrint a(0)", "", 9},
        {"Dim v\nReDim v(2)\nv(1) = 4\nPrint v(1); IsArray(v)", " 4 True\n"},
        {"Dim a()\nReDim a(3)\nErase a\nPrint IsArray(a)", "False\n"},
        {"ReDim a(2)\nReDim Preserve a(2, 2)", "", 9},
    });
}

TEST(BasicArrays, ArraysPassByReference) {
    const ScriptOutcome out = runScript(
        "Sub Fill(a() As Integer)\nFor i = LBound(a) To UBound(a)\na(i) = i * i\nNext\nEnd Sub\n"
        "Function Total(a())\nFor i = LBound(a) To UBound(a)\nTotal = Total + a(i)\nNext\nEnd Function\n"
        "Sub Grow(a())\nReDim Preserve a(5)\nEnd Sub\n"
        "Sub Main()\nDim x(1 To 3) As Integer\nFill x\nPrint x(3)\nDim y()\nReDim y(2)\ny(2) = 9\nGrow y\nPrint UBound(y); y(2)\nEnd Sub\n");
    EXPECT_EQ(out.errorNumber, 0);
    EXPECT_EQ(out.output, " 9 \n 5  9 \n");
}

TEST(BasicArrays, ModuleAndStaticArrays) {
    const ScriptOutcome out = runScript(
        "Dim table(1 To 3) As Long\n"
        "Sub Remember(x)\nStatic seen(2)\nseen(x) = seen(x) + 1\nPrint seen(x);\nEnd Sub\n"
        "Sub Main()\ntable(2) = 8\nPrint table(2); UBound(table)\nRemember 1\nRemember 1\nPrint\nEnd Sub\n");
    EXPECT_EQ(out.errorNumber, 0);
    EXPECT_EQ(out.output, " 8  3 \n 1  2 \n");
}

}  // namespace
}  // namespace kestrune::testing_support
