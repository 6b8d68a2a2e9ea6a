#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

TEST(StringTable, KnownAndMissingIds) {
    EXPECT_EQ(strings::text(34200), "Kestrune Message");
    EXPECT_FALSE(strings::lookup(1).has_value());
    EXPECT_EQ(strings::text(1), "ER:1");
}

// ---- Shape of the table: lookups are binary searches, so order matters ----

class StringTableShape : public ::testing::Test {
  protected:
    std::vector<int> ids_ = strings::allIds();
};

TEST_F(StringTableShape, IdsAreStrictlyAscending) {
    ASSERT_EQ(ids_.size(), strings::count());
    ASSERT_FALSE(ids_.empty());
    for (std::size_t i = 1; i < ids_.size(); ++i) {
        EXPECT_LT(ids_[i - 1], ids_[i]) << "entry " << i;
    }
}

TEST_F(StringTableShape, EveryIdIsFoundWithANonEmptyText) {
    for (int id : ids_) {
        auto t = strings::lookup(id);
        ASSERT_TRUE(t.has_value()) << id;
        EXPECT_FALSE(t->empty()) << id;
        EXPECT_EQ(strings::text(id), std::string(*t)) << id;
    }
}

TEST_F(StringTableShape, GapsAndOutOfRangeIdsAreMissing) {
    // Neighbours of existing ids that have no text of their own.
    for (int id : {0, -1, 99, 101, 32865, 34129, 34210, 61450, 65535, INT_MAX, INT_MIN}) {
        EXPECT_EQ(std::count(ids_.begin(), ids_.end(), id), 0) << id;
        EXPECT_FALSE(strings::lookup(id).has_value()) << id;
    }
    EXPECT_EQ(strings::text(32865), "ER:32865");
    EXPECT_EQ(strings::text(-1), "ER:-1");
    EXPECT_EQ(strings::text(INT_MAX), "ER:2147483647");
}

TEST_F(StringTableShape, FirstAndLastEntriesAreReachable) {
    // Off-by-one in the search shows up at the ends first.
    EXPECT_TRUE(strings::lookup(ids_.front()).has_value());
    EXPECT_TRUE(strings::lookup(ids_.back()).has_value());
    EXPECT_FALSE(strings::lookup(ids_.front() - 1).has_value());
    EXPECT_FALSE(strings::lookup(ids_.back() + 1).has_value());
}

// ---- Exact texts, character for character ----

struct ExactText {
    int id;
    const char* text;
};

void PrintTo(const ExactText& e, std::ostream* os) {
    *os << "id " << e.id;
}

class StringTableTexts : public ::testing::TestWithParam<ExactText> {};

TEST_P(StringTableTexts, MatchesExactly) {
    const ExactText& e = GetParam();
    EXPECT_EQ(strings::text(e.id), e.text);
}

INSTANTIATE_TEST_SUITE_P(
    AcrossTheProgram, StringTableTexts,
    ::testing::Values(
        // Start-up: two blanks after the first sentence.
        ExactText{100,
                  "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
        ExactText{702, "Morvale Kestrune Runtime"},
        ExactText{237,
                  "Task Editor\nSTRTGY\nKestrune Strategy\nKestrune Files (*.ksv; *.kce)\n.ksv;.kce\n"
                  "Kestrune.DocumentY\nKestrune DocumentZ"},
        ExactText{239,
                  "Script Editor\nSCRIPT\nKestrune Script\nScript Files (*.ebs)\n.ebs\nKestrune.ScriptY\n"
                  "Kestrune ScriptZ"},
        // Run control, with printf placeholders.
        ExactText{34257,
                  "The hard disk (%s) free space is below the setting low bound:%u bytes! Please free more "
                  "disk space."},
        ExactText{34202, "User %s login at %s %s"}, ExactText{34206, "%s acknowledged %s"},
        ExactText{32860, "Cannot open file"},
        // Trailing blanks and line breaks that callers append details to.
        ExactText{32855, "Invalid file format: "}, ExactText{32869, "Unconfigured block: "},
        ExactText{32921, "No output available.\n"},
        ExactText{61455, "Password unmatched! you have no authority to load the file.\n"},
        ExactText{32974,
                  "This connection will cause a logical loop.\n Loop is not allowed in Kestrune, please "
                  "double check your code."},
        ExactText{34243,
                  "Source and target data type mismatch, please you check the data type. \nDo yo want to "
                  "continue ?"},
        ExactText{61449, "Error %lu at line %u in %s script, skip the script"},
        ExactText{61446, "Sub Main()\r\n\t \r\nEnd Sub"}, ExactText{34130, "The trigger block\nTrigger"},
        ExactText{34107, "Temp. Measure"}, ExactText{34020, "Round Rect. Draw"},
        // The program's own spellings are kept as they are.
        ExactText{33017, "Accpet Incoming Connection (server) Error"},
        ExactText{33023, "Unknow error (client) or disconnection with"},
        ExactText{33036, "Supervisor's record has been changed on setup/change password "},
        ExactText{32933, "The maximun number of digits for precision is 6."},
        ExactText{61453, "The number must be in the range from %f to %f."},
        ExactText{34263, "Would you like to startup the strategy when system boots ? "},
        ExactText{34258,
                  "Cannot start communications with the Windows CE system.\nPlease verify that the "
                  "communications line is connected and active."}));

TEST(StringTableFormats, EventLineFillsUserTimeAndDate) {
    char line[128];
    std::snprintf(line, sizeof line, strings::text(kMsgEventLogin).c_str(), "ADMIN", "10:00:04",
                  "03/07/2005");
    EXPECT_STREQ(line, "User ADMIN login at 10:00:04 03/07/2005");
}

TEST(StringTableFormats, ScriptErrorTakesNumberLineAndName) {
    char line[128];
    std::snprintf(line, sizeof line, strings::text(kMsgScriptErrorAtLine).c_str(), 10035ul, 7u,
                  "TASK1,pre-task");
    EXPECT_STREQ(line, "Error 10035 at line 7 in TASK1,pre-task script, skip the script");
}

TEST(StringTableFormats, CaptionFitsTheMessageBoxLimit) {
    EXPECT_LE(strings::text(kMsgMessageCaption).size(), 19u);
}

TEST(StringTableFormats, DocumentTemplatesHoldSevenFields) {
    for (int id : {kStrTaskTemplate, kStrScriptTemplate}) {
        const std::string t = strings::text(id);
        EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 6) << id;
    }
}

// ---- Named ids point at real entries ----

TEST(MessageIds, NamedMessagesHaveTexts) {
    const int named[] = {kMsgOleInitFailed,
                         kMsgSocketsInitFailed,
                         kStrTaskTemplate,
                         kStrScriptTemplate,
                         kStrRuntimeTitle,
                         kMsgScriptEngineInitError,
                         kMsgScriptExtensionError,
                         kMsgProcessStillRunning,
                         kMsgPasswordFileMissing,
                         kMsgCannotRunPartiallyConfigured,
                         kMsgStrategyModifiedSave,
                         kMsgDiskSpaceLow,
                         kMsgCouldNotCreateTimer,
                         kMsgTimerOverrun,
                         kMsgDivisionByZero,
                         kMsgSetupThreadScheduling,
                         kMsgWinsockTerminates,
                         kMsgNetFirstConnectionEvent,
                         kMsgNetLastConnectionEvent,
                         kMsgRemoteTagTypeWrong,
                         kMsgRemoteTagMissing,
                         kMsgEventLogOutOfMemory,
                         kMsgEventLogin,
                         kMsgEventLogout,
                         kMsgEventStrategyStarted,
                         kMsgEventStrategyStopped,
                         kMsgEventAcknowledged,
                         kMsgEventLock,
                         kMsgEventUnlock,
                         kMsgMessageCaption,
                         kMsgInvalidFileFormat,
                         kMsgInvalidFileVersion,
                         kMsgFileLoadError,
                         kMsgSavePartiallyConfigured,
                         kMsgCreateDisplayFailed,
                         kMsgSaveWithoutPassword,
                         kMsgPasswordUnmatched,
                         kMsgOldVersionWarning,
                         kMsgNoOutputAvailable,
                         kMsgCannotAcceptInput,
                         kMsgInvalidConnection,
                         kMsgDataTypeMismatch,
                         kMsgInputAlreadyConnected,
                         kMsgExistingConnection,
                         kMsgDataTypeMismatchContinue,
                         kMsgEmptySelection,
                         kMsgInputIsItself,
                         kMsgLoopRefused,
                         kMsgDeleteSelectedItems,
                         kMsgWrongOrder,
                         kMsgReorderingCompleted,
                         kStrOutputFrom,
                         kMsgOutOfMemory,
                         kMsgGenericError,
                         kMsgCannotOpenFile,
                         kMsgDeviceUndefined,
                         kMsgInputUndefined,
                         kMsgUserProgramBlockUnsupported,
                         kMsgUnconfiguredBlock,
                         kMsgInvalidParameters,
                         kMsgDdeLinkUndefined,
                         kMsgInputNotSelected,
                         kMsgTriggerInputRequired,
                         kMsgNoFileNameInBlock,
                         kMsgSyntaxError,
                         kMsgCannotPlayWave,
                         kMsgWrongTask,
                         kMsgScriptErrorAtLine,
                         kMsgPreTaskScriptUnknownError,
                         kMsgPostTaskScriptUnknownError,
                         kMsgMainScriptUnknownError,
                         kMsgMainScriptRunError,
                         kMsgInvalidTaskOrTagName,
                         kStrNewMainScript,
                         kMsgDeleteMainScript,
                         kMsgPrecisionTooLarge,
                         kMsgUpdateRateInvalid,
                         kMsgTooManyChannels,
                         kToolConnectionWire,
                         kToolTrigger,
                         kDisplayToolFirst,
                         kDisplayToolLast};
    for (int id : named) EXPECT_TRUE(strings::lookup(id).has_value()) << id;
}

TEST(MessageIds, ToolRangesMatchTheTable) {
    // Every block tool but the legacy one has a caption; the pointers have none.
    for (int id = kToolFirstBlock; id < kToolLastBlock; ++id) {
        EXPECT_TRUE(strings::lookup(id).has_value()) << id;
    }
    EXPECT_FALSE(strings::lookup(kToolLastBlock).has_value());
    EXPECT_FALSE(strings::lookup(kToolPointer).has_value());
    EXPECT_FALSE(strings::lookup(kDisplayToolArrow).has_value());
    for (int id = kDisplayToolFirst; id <= kDisplayToolLast; ++id) {
        EXPECT_TRUE(strings::lookup(id).has_value()) << id;
    }
    for (int id = kMsgNetFirstConnectionEvent; id <= kMsgNetLastConnectionEvent; ++id) {
        EXPECT_TRUE(strings::lookup(id).has_value()) << id;
    }
}

}  // namespace
}  // namespace kestrune
