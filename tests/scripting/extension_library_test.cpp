// The extension table: the order rules of registration, lookup by name as
// the engine resolves it, and dispatch with the editor-busy rule.

#include <gtest/gtest.h>

#include "resources/message_ids.h"
#include "scripting/extension_library.h"

namespace kestrune::test {
namespace {

ExtensionEntry entry(int id, std::string name, ExtensionKind kind, std::size_t minArgs, std::size_t maxArgs,
                     std::vector<int>* calls, std::string className = {}) {
    ExtensionEntry e;
    e.id = id;
    e.name = std::move(name);
    e.kind = kind;
    e.className = std::move(className);
    e.minArguments = minArgs;
    e.maxArguments = maxArgs;
    e.handler = [calls, id](ExtensionCall& call) {
        calls->push_back(id);
        call.result = static_cast<std::int32_t>(id);
    };
    return e;
}

class ExtensionLibraryTest : public ::testing::Test {
  protected:
    ExtensionLibraryTest() {
        ExtensionEntry getTag = entry(10, "GetTag", ExtensionKind::Function, 2, 2, &calls);
        getTag.companion = "Tag";
        getTag.worksWhileEditing = true;
        EXPECT_TRUE(library.add(getTag));
        EXPECT_TRUE(library.add(entry(11, "Tag", ExtensionKind::Class, 0, 0, &calls)));
        EXPECT_TRUE(library.add(entry(14, "Value", ExtensionKind::Property, 1, 1, &calls, "Tag")));
        EXPECT_TRUE(library.add(entry(15, "Value", ExtensionKind::Property, 0, 0, &calls, "Tag")));
        EXPECT_TRUE(library.add(entry(18, "OutputI", ExtensionKind::Sub, 1, 1, &calls)));
        EXPECT_TRUE(library.add(entry(19, "OutputI", ExtensionKind::Sub, 1, 2, &calls)));
    }

    std::vector<int> calls;
    ExtensionLibrary library{"Rezez"};
};

TEST_F(ExtensionLibraryTest, RegistrationKeepsTableOrderAndClassesBeforeTheirMembers) {
    EXPECT_EQ(library.name(), "Rezez");
    EXPECT_EQ(library.add(entry(19, "Late", ExtensionKind::Sub, 0, 0, &calls)).code, kMsgScriptExtensionError);
    EXPECT_EQ(library.add(entry(30, "Value", ExtensionKind::Property, 0, 0, &calls, "DiBlock")).code,
              kMsgScriptExtensionError);
    ExtensionEntry noHandler = entry(31, "Quit", ExtensionKind::Sub, 1, 1, &calls);
    noHandler.handler = nullptr;
    EXPECT_EQ(library.add(noHandler).code, kMsgScriptExtensionError);
    EXPECT_EQ(library.entries().size(), 6u);
}

TEST_F(ExtensionLibraryTest, NamesAreFoundWithoutRegardToCaseAndByTheirArgumentCount) {
    ASSERT_NE(library.findGlobal("gettag", 2), nullptr);
    EXPECT_EQ(library.findGlobal("TAG", 2)->id, 10) << "the companion name";
    EXPECT_EQ(library.findGlobal("Tag", 0)->id, 11);
    EXPECT_EQ(library.findGlobal("GetTag", 1), nullptr);
    EXPECT_EQ(library.findGlobal("outputi", 1)->id, 18) << "the first form that takes one argument";
    EXPECT_EQ(library.findGlobal("OutputI", 2)->id, 19);
    EXPECT_EQ(library.findMember("tag", "VALUE", 0)->id, 15);
    EXPECT_EQ(library.findMember("Tag", "Value", 1)->id, 14);
    EXPECT_EQ(library.findGlobal("Value", 0), nullptr) << "members are not global";
    EXPECT_EQ(library.findMember("AiBlock", "Value", 0), nullptr);
}

TEST_F(ExtensionLibraryTest, DispatchCallsTheHandlerUnlessTheEditorIsBusy) {
    ExtensionCall call;
    EXPECT_TRUE(library.dispatch(18, call, false));
    EXPECT_EQ(call.result, ScriptValue(std::int32_t{18}));
    EXPECT_TRUE(library.dispatch(18, call, true)) << "known, but without effect";
    EXPECT_TRUE(library.dispatch(10, call, true));
    EXPECT_EQ(calls, (std::vector<int>{18, 10}));
    EXPECT_FALSE(library.dispatch(12, call, false));
}

}  // namespace
}  // namespace kestrune::test
