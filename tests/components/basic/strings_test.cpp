// The string functions and Format.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicStrings, Functions) {
    expectCases({
        {"s = \"Hello World\"\nPrint Len(s); Left(s, 2); Right(s, 3); Mid(s, 7); Mid(s, 2, 3)", " 11 HerldWorldell\n"},
        {"Print Left(\"ab\", 9); Mid(\"ab\", 5) & \"|\"", "ab|\n"},
        {"Print Left(\"ab\", -1)", "", 5},
        {"Print Mid(\"ab\", 0)", "", 5},
        {"Print InStr(\"abcabc\", \"c\"); InStr(3, \"abcabc\", \"ab\"); InStr(\"abc\", \"x\"); InStr(1, \"ABC\", \"b\", 1)",
         " 3  4  0  2 \n"},
        {"Print UCase(\"aB1\"); LCase(\"aB1\"); \"[\" & Trim(\"  x \") & LTrim(\" y \") & RTrim(\" z \") & \"]\"",
         "AB1ab1[xy  z]\n"},
        {"Print Chr(65); Asc(\"a\"); String(3, \"z\"); String(2, 66); \"[\" & Space(2) & \"]\"", "A 97 zzzBB[  ]\n"},
        {"Print Chr(256)", "", 5},
        {"Print Asc(\"\")", "", 5},
        {"Print Str(5); Str(-5); CStr(5) & \"|\"", " 5-55|\n"},
        {"Print StrComp(\"a\", \"b\"); StrComp(\"A\", \"a\"); StrComp(\"A\", \"a\", 1)", "-1 -1  0 \n"},
        {"Print Replace(\"aXbXc\", \"X\", \"--\"); Replace(\"aaa\", \"a\", \"b\", 1, 2); Replace(\"abc\", \"b\", \"\", 2)",
         "a--b--cbbac\n"},
        {"Print Hex(255); Hex(-1); Oct(8); Hex(CLng(-1))", "FFFFFF10FFFFFFFF\n"},
        {"Print IsNumeric(\"1.5\"); IsNumeric(\"x\"); IsNumeric(3)", "TrueFalseTrue\n"},
        {"s$ = \"a\"\nFor i = 1 To 3\ns = s & s\nNext\nPrint s; Len(s)", "aaaaaaaa 8 \n"},
        {"Print \"a\" & 1.5 & True & Empty", "a1.5True\n"},
        {"Print String(20000000, \"x\")", "", 14},
    });
}

TEST(BasicStrings, Format) {
    expectCases({
        {"Print Format(1234.567, \"#,##0.00\"); \"|\"; Format(5, \"000\"); \"|\"; Format(0.5, \"0%\")",
         "1,234.57|005|50%\n"},
        {"Print Format(3.14159, \"0.0\"); \"|\"; Format(-2, \"0.00\"); \"|\"; Format(5, \"#.##\")", "3.1|-2.00|5.\n"},
        {"Print Format(12345, \"0.00E+00\"); \"|\"; Format(0.00012, \"0.0E-0\")", "1.23E+04|1.2E-4\n"},
        {"Print Format(-5, \"0;(0)\"); Format(0, \"0;(0);zero\")", "(5)zero\n"},
        {"Print Format(1234.5, \"Standard\"); \"|\"; Format(2, \"Fixed\"); \"|\"; Format(0.256, \"Percent\")",
         "1,234.50|2.00|25.60%\n"},
        {"Print Format(1500, \"Scientific\"); \"|\"; Format(1, \"Yes/No\"); Format(0, \"True/False\"); Format(3, \"On/Off\")",
         "1.50E+03|YesFalseOn\n"},
        {"Print Format(12.5, \"General Number\"); \"|\"; Format(7)", "12.5|7\n"},
        {"d = DateSerial(2024, 3, 5) + 0.5 + 1 / 1440\nPrint Format(d, \"yyyy-mm-dd hh:nn:ss\"); \"|\"; "
         "Format(d, \"d/m/yy h AM/PM\"); \"|\"; Format(d, \"dddd mmm\")",
         "2024-03-05 12:01:00|5/3/24 12 PM|Tuesday Mar\n"},
        {"d = DateSerial(2000, 14, 1)\nPrint Year(d); Month(d); Day(d); Weekday(d)", " 2001  2  1  5 \n"},
    });
}

}  // namespace
}  // namespace kestrune::testing_support
