// If, Select Case, the loops, Exit and GoTo.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

TEST(BasicControlFlow, IfAndSelect) {
    expectCases({
        {"x = 5\nIf x > 3 Then Print \"a\" Else Print \"b\"", "a\n"},
        {"x = 1\nIf x > 3 Then Print \"a\": Print \"c\" Else Print \"b\": Print \"d\"", "b\nd\n"},
        {"x = 2\nIf x = 1 Then\nPrint 1\nElseIf x = 2 Then\nPrint 2\nElse\nPrint 3\nEnd If", " 2 \n"},
        {"x = 9\nIf x = 1 Then\nPrint 1\nElseIf x = 2 Then\nPrint 2\nElse\nPrint 3\nEnd If", " 3 \n"},
        {"Select Case 7\nCase 1, 2\nPrint \"a\"\nCase 5 To 8\nPrint \"b\"\nCase Else\nPrint \"c\"\nEnd Select", "b\n"},
        {"Select Case \"m\"\nCase \"a\" To \"f\"\nPrint 1\nCase Is >= \"k\"\nPrint 2\nEnd Select", " 2 \n"},
        {"Select Case 0\nCase 1\nPrint 1\nEnd Select\nPrint \"after\"", "after\n"},
    });
}

TEST(BasicControlFlow, Loops) {
    expectCases({
        {"For i = 1 To 3: Print i;: Next", " 1  2  3 \n"},
        {"For i = 10 To 1 Step -4: Print i;: Next i", " 10  6  2 \n"},
        {"For i = 0 To 1 Step 0.5: Print i;: Next", " 0  0.5  1 \n"},
        {"For i = 5 To 1: Print i: Next\nPrint i", " 5 \n"},
        {"Dim i As Integer\nFor i = 32760 To 32767: Next", "", 6},
        {"For i = 1 To 10\nIf i = 3 Then Exit For\nNext\nPrint i", " 3 \n"},
        {"i = 0\nDo While i < 3\ni = i + 1\nLoop\nPrint i", " 3 \n"},
        {"i = 0\nDo\ni = i + 1\nLoop Until i >= 4\nPrint i", " 4 \n"},
        {"i = 9\nDo\ni = i + 1\nLoop While i < 3\nPrint i", " 10 \n"},
        {"i = 0\nDo\ni = i + 1\nIf i = 5 Then Exit Do\nLoop\nPrint i", " 5 \n"},
        {"i = 0\nWhile i < 2\ni = i + 1\nWend\nPrint i", " 2 \n"},
        {"For i = 1 To 2\nFor j = 1 To 2\nIf j = 2 Then Exit For\nPrint i * 10 + j;\nNext\nNext", " 11  21 \n"},
    });
}

TEST(BasicControlFlow, GoToAndLabels) {
    expectCases({
        {"i = 0\nagain:\ni = i + 1\nIf i < 3 Then GoTo again\nPrint i", " 3 \n"},
        {"GoTo skip\nPrint \"no\"\nskip: Print \"yes\"", "yes\n"},
        {"GoTo 20\n10 Print 1\n20 Print 2", " 2 \n"},
        {"Print 1\nEnd\nPrint 2", " 1 \n"},
    });
    EXPECT_EQ(runScript(inMain("GoTo nowhere")).compileError, kBasicLabelNotDefined);
}

TEST(BasicControlFlow, UnbalancedBlocksAreCompileErrors) {
    struct Case {
        const char* source;
        int error;
        int line;
    } cases[] = {
        {"Sub Main()\nIf 1 Then\nPrint 1\nEnd Sub\n", kBasicBlockNotClosed, 4},
        {"Sub Main()\nFor i = 1 To 2\nEnd Sub\n", kBasicBlockNotClosed, 3},
        {"Sub Main()\nNext\nEnd Sub\n", kBasicUnexpectedBlockEnd, 2},
        {"Sub Main()\nFor Each x In y\nNext\nEnd Sub\n", kBasicSyntaxError, 2},
        {"Sub Main()\nExit For\nEnd Sub\n", kBasicUnexpectedBlockEnd, 2},
        {"Sub Main()\nPrint 1\n", kBasicBlockNotClosed, 1},
        {"Sub Main()\nx = (1 + \nEnd Sub\n", kBasicSyntaxError, 2},
        {"Sub Main()\nx = \"abc\nEnd Sub\n", kBasicUnterminatedString, 2},
        {"x = 1\nSub Main()\nEnd Sub\n", kBasicInvalidOutsideProcedure, 1},
        {"Sub Main()\nPrint 1 2\nEnd Sub\n", kBasicExpectedEndOfStatement, 2},
        {"Sub Main()\nx = 1 ~ 2\nEnd Sub\n", kBasicInvalidCharacter, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const ScriptOutcome out = runScript(c.source);
        EXPECT_EQ(out.compileError, c.error);
        EXPECT_EQ(out.line, c.line);
    }
}

}  // namespace
}  // namespace kestrune::testing_support
