// Subs and Functions: ByRef and ByVal, Optional, recursion, Static and module variables.
#include <gtest/gtest.h>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

struct ModuleCase {
    const char* source;
    const char* printed;
    int error = 0;
};

void expectModules(const std::vector<ModuleCase>& cases) {
    for (const ModuleCase& c : cases) {
        SCOPED_TRACE(c.source);
        const ScriptOutcome out = runScript(c.source);
        EXPECT_EQ(out.compileError, 0);
        EXPECT_EQ(out.errorNumber, c.error);
        if (c.error == 0) {
            EXPECT_EQ(out.output, c.printed);
        }
    }
}

TEST(BasicProcedures, ArgumentsPassByReferenceUnlessByVal) {
    expectModules({
        {"Sub Inc(x)\nx = x + 1\nEnd Sub\nSub Main()\na = 1\nInc a\nPrint a\nEnd Sub", " 2 \n"},
        {"Sub Inc(ByVal x)\nx = x + 1\nEnd Sub\nSub Main()\na = 1\nInc a\nPrint a\nEnd Sub", " 1 \n"},
        {"Sub Inc(x)\nx = x + 1\nEnd Sub\nSub Main()\na = 1\nInc (a)\nCall Inc(a)\nPrint a\nEnd Sub", " 2 \n"},
        {"Sub Twice(x)\nInc x\nInc x\nEnd Sub\nSub Inc(x)\nx = x + 1\nEnd Sub\nSub Main()\na = 1\nTwice a\nPrint a\nEnd Sub",
         " 3 \n"},
        {"Dim g As Long\nSub Inc(x As Long)\nx = x + 1\nEnd Sub\nSub Main()\nInc g\nInc g\nPrint g\nEnd Sub", " 2 \n"},
        {"Sub Set5(ByVal x As Integer)\nPrint x\nEnd Sub\nSub Main()\nSet5 2.5\nEnd Sub", " 2 \n"},
        {"Sub S(ByVal x As Integer)\nEnd Sub\nSub Main()\nS 40000\nEnd Sub", "", 6},
    });
}

TEST(BasicProcedures, FunctionsReturnThroughTheirName) {
    expectModules({
        {"Function Fact(n As Long) As Long\nIf n <= 1 Then\nFact = 1\nElse\nFact = n * Fact(n - 1)\nEnd If\nEnd Function\n"
         "Sub Main()\nPrint Fact(10)\nEnd Sub",
         " 3628800 \n"},
        {"Function F$()\nF = \"x\"\nExit Function\nF = \"y\"\nEnd Function\nSub Main()\nPrint F() & F\nEnd Sub", "xx\n"},
        {"Function G()\nEnd Function\nSub Main()\nPrint IsEmpty(G())\nEnd Sub", "True\n"},
        {"Sub Main()\nPrint Later(2)\nEnd Sub\nFunction Later(x)\nLater = x * 2\nEnd Function", " 4 \n"},
        {"Sub Main()\nPrint 1\nExit Sub\nPrint 2\nEnd Sub", " 1 \n"},
    });
}

TEST(BasicProcedures, OptionalArguments) {
    expectModules({
        {"Sub S(a, Optional b = 5, Optional c)\nPrint a; b; IsMissing(c)\nEnd Sub\nSub Main()\nS 1\nS 1, 2, 3\nS 1, , 3\nEnd Sub",
         " 1  5 True\n 1  2 False\n 1  5 False\n"},
        {"Sub S(Optional n As Integer)\nPrint n\nEnd Sub\nSub Main()\nS\nEnd Sub", " 0 \n"},
    });
    EXPECT_EQ(runScript("Sub S(a)\nEnd Sub\nSub Main()\nS\nEnd Sub").compileError, kBasicArgumentNotOptional);
    EXPECT_EQ(runScript("Sub S(a)\nEnd Sub\nSub Main()\nS 1, 2\nEnd Sub").compileError, kBasicWrongArgumentCount);
    EXPECT_EQ(runScript("Sub Main()\nNoSuch 1\nEnd Sub").compileError, kBasicUndefinedProcedure);
    EXPECT_EQ(runScript("Sub Main()\nEnd Sub\nSub Main()\nEnd Sub").compileError, kBasicDuplicateDeclaration);
}

TEST(BasicProcedures, StaticAndModuleVariablesKeepTheirValues) {
    expectModules({
        {"Function Counter()\nStatic n As Integer\nn = n + 1\nCounter = n\nEnd Function\n"
         "Sub Main()\nCounter\nCounter\nPrint Counter()\nEnd Sub",
         " 3 \n"},
        {"Function Counter()\nDim n As Integer\nn = n + 1\nCounter = n\nEnd Function\nSub Main()\nCounter\nPrint Counter()\nEnd Sub",
         " 1 \n"},
        {"Private total As Long\nSub Add(x)\ntotal = total + x\nEnd Sub\nSub Main()\nAdd 2\nAdd 3\nPrint total\nEnd Sub", " 5 \n"},
    });
    // Module variables persist from one run of an instance to the next, until reset.
    const BasicCompileResult compiled = compileBasic("Dim n\nSub Main()\nn = n + 1\nPrint n\nEnd Sub\n");
    ASSERT_TRUE(compiled.status.ok());
    RecordingHost host;
    BasicInstance script(compiled.module, host);
    script.run("Main");
    script.run("Main");
    script.reset();
    script.run("Main");
    EXPECT_EQ(host.output, " 1 \n 2 \n 1 \n");
}

TEST(BasicProcedures, OptionExplicitRequiresDeclarations) {
    EXPECT_EQ(runScript("Option Explicit\nSub Main()\nx = 1\nEnd Sub").compileError, kBasicVariableNotDefined);
    EXPECT_EQ(runScript("Option Explicit\nSub Main()\nDim x\nx = 1\nEnd Sub").compileError, 0);
    EXPECT_EQ(runScript(inMain("Dim x\nDim x")).compileError, kBasicDuplicateDeclaration);
}

}  // namespace
}  // namespace kestrune::testing_support
