#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "document/document_commands.h"
#include "document/document_fixture.h"
#include "platform/paths.h"
#include "platform/safe_file.h"
#include "platform/settings.h"
#include "support/failing_file_calls.h"

namespace kestrune::testing {
namespace {

using testing_support::FailingFileCalls;
using testing_support::TempDir;

class DocumentCommandsTest : public DocumentTest {
  protected:
    void SetUp() override {
        world = makeWorld();
        path = (dir / "plant.ksv").string();
    }

    StrategyDocument& doc() { return *world->document; }
    std::string fileText() const { return TempDir::read(path); }
    Settings settings() const { return readSettings(world->settings); }

    std::unique_ptr<DocumentWorld> world;
    std::string path;
};

TEST_F(DocumentCommandsTest, SaveAsWritesTheFileAndRecordsTheStrategy) {
    fillSample(doc());
    const SaveResult result = SaveStrategyAs(doc(), path);
    ASSERT_TRUE(result.saved()) << result.status.context;
    EXPECT_EQ(fileText().substr(0, 4), "QKSV");
    EXPECT_EQ(doc().path(), path);
    EXPECT_FALSE(doc().modified());
    EXPECT_EQ(settings().currentKsv, path);
    EXPECT_TRUE(settings().changeKsv);
    // Nothing but the strategy (and the settings file) is left in the directory.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 2u);
}

TEST_F(DocumentCommandsTest, OpenRecordsTheStrategyAsNotSavedAndLoadsTheHoldFile) {
    fillSample(doc());
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    // A run stop kept LEVEL's value in the hold file beside the strategy.
    const DB_PARAM level = DB_PARAM::Float(77.5f);
    ASSERT_EQ(world->tags.SetData(kVirtualTaskName, "LEVEL", &level), kOk);
    ASSERT_EQ(world->tags.SerializeAll(doc().holdFilePath(), 1), kOk);

    auto other = makeWorld();
    ASSERT_TRUE(OpenStrategy(*other->document, path).ok());
    EXPECT_EQ(other->document->path(), path);
    EXPECT_EQ(other->document->taskCount(), 2u);
    DB_PARAM value = DB_PARAM::Float(0);
    ASSERT_EQ(other->tags.GetData(kVirtualTaskName, "LEVEL", &value), kOk);
    EXPECT_FLOAT_EQ(value.value.fVal, 77.5f);
    EXPECT_EQ(readSettings(other->settings).currentKsv, path);
    EXPECT_FALSE(readSettings(other->settings).changeKsv);
    EXPECT_TRUE(other->ui.shown().empty());
}

TEST_F(DocumentCommandsTest, TheHoldFileIsFoundBesideAStrategyInADottedDirectory) {
    std::filesystem::create_directory(dir / "line.v2");
    const std::string dotted = (dir / "line.v2" / "x.ksv").string();
    EXPECT_EQ(holdFilePath(dotted), (dir / "line.v2" / "x.HLD").string());
    doc().addVirtualTag("SPEED", VirtualTag::kInteger, true);
    ASSERT_TRUE(SaveStrategyAs(doc(), dotted).saved());
    EXPECT_EQ(doc().holdFilePath(), (dir / "line.v2" / "x.HLD").string());
    DB_PARAM v = DB_PARAM::Int(31);
    ASSERT_EQ(world->tags.SetData(kVirtualTaskName, "SPEED", &v), kOk);
    ASSERT_EQ(world->tags.SerializeAll(doc().holdFilePath(), 1), kOk);

    auto other = makeWorld();
    ASSERT_TRUE(OpenStrategy(*other->document, dotted).ok());
    DB_PARAM back = DB_PARAM::Int(0);
    ASSERT_EQ(other->tags.GetData(kVirtualTaskName, "SPEED", &back), kOk);
    EXPECT_EQ(back.value.lVal, 31);
}

TEST_F(DocumentCommandsTest, AHeldTagStartsAtItsInitialValueUntilAHoldFileGivesItAnother) {
    // SPEED is held and kept in a hold file; RATE and NOTE are held but not in it.
    doc().addVirtualTag("SPEED", VirtualTag::kInteger, true)->setInitialInteger(5);
    doc().addVirtualTag("RATE", VirtualTag::kFloat, true)->setInitialFloat(2.5f);
    doc().addVirtualTag("NOTE", VirtualTag::kString, true)->setInitialText("start");
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    for (const bool withHoldFile : {false, true}) {
        SCOPED_TRACE(withHoldFile ? "hold file without two of the tags" : "no hold file");
        std::filesystem::remove(doc().holdFilePath());
        if (withHoldFile) {
            TagDatabase kept;
            ASSERT_EQ(kept.AddTag("VIRTASK", "SPEED", kTagInt32, 1), kOk);
            ASSERT_EQ(kept.HoldTag("VIRTASK", "SPEED", true), kOk);
            const DB_PARAM speed = DB_PARAM::Int(31);
            ASSERT_EQ(kept.SetData("VIRTASK", "SPEED", &speed), kOk);
            ASSERT_EQ(kept.SerializeAll(doc().holdFilePath(), 1), kOk);
        }
        auto other = makeWorld();
        ASSERT_TRUE(OpenStrategy(*other->document, path).ok());
        DB_PARAM speed = DB_PARAM::Int(0);
        DB_PARAM rate = DB_PARAM::Float(0);
        char note[kTagTextSize] = {};
        DB_PARAM text = DB_PARAM::Text(note);
        ASSERT_EQ(other->tags.GetData(kVirtualTaskName, "SPEED", &speed), kOk);
        ASSERT_EQ(other->tags.GetData(kVirtualTaskName, "RATE", &rate), kOk);
        ASSERT_EQ(other->tags.GetData(kVirtualTaskName, "NOTE", &text), kOk);
        EXPECT_EQ(speed.value.lVal, withHoldFile ? 31 : 5);
        EXPECT_FLOAT_EQ(rate.value.fVal, 2.5f);
        EXPECT_STREQ(note, "start");
    }
}

TEST_F(DocumentCommandsTest, OpeningAFileThatIsNoStrategyKeepsTheOpenOne) {
    addGain(doc().task(0), 1.0f);
    TempDir::write(path, "NOT A STRATEGY FILE");
    EXPECT_EQ(OpenStrategy(doc(), path).code, kMsgInvalidFileFormat);
    ASSERT_EQ(world->ui.messages().size(), 1u);
    EXPECT_EQ(world->ui.messages()[0], "Invalid file format: " + path);
    EXPECT_EQ(doc().task(0).graph().nodes().size(), 1u);
    EXPECT_TRUE(doc().path().empty());

    EXPECT_EQ(OpenStrategy(doc(), (dir / "missing.ksv").string()).code, kMsgCannotOpenFile);
    EXPECT_EQ(doc().task(0).graph().nodes().size(), 1u);
}

TEST_F(DocumentCommandsTest, APartlyLoadedFileShowsTheLoadError) {
    fillSample(doc());
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    std::string text = fileText();
    text.resize(text.size() - 30);  // into the network records
    TempDir::write(path, text);
    auto other = makeWorld();
    EXPECT_EQ(OpenStrategy(*other->document, path).code, kMsgFileLoadError);
    EXPECT_EQ(other->ui.messages(), std::vector<std::string>{"File opened with load error."});
    EXPECT_EQ(other->document->taskCount(), 2u);
    EXPECT_EQ(other->document->virtualTags().size(), 2u);
}

TEST_F(DocumentCommandsTest, SavingAProtectedStrategyAsksAndCancelWritesNothing) {
    ASSERT_TRUE(doc().protection().protect("secret"));
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved() == false);  // Save As asks for the password first
    EXPECT_FALSE(std::filesystem::exists(path));
    world->dialogs.answerSavePassword(SavePasswordEntry{true, "", ""});
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    const std::string before = fileText();
    const auto stamp = std::filesystem::last_write_time(path);

    addGain(doc().task(0), 5.0f);
    world->ui.answer(Answer::Cancel);
    EXPECT_EQ(SaveStrategy(doc()).outcome, SaveOutcome::Cancelled);
    ASSERT_EQ(world->ui.shown().size(), 1u);
    EXPECT_EQ(world->ui.shown()[0].kind, ScriptedUserInterface::Kind::OkCancel);
    EXPECT_EQ(world->ui.shown()[0].text.substr(0, 34), "You are choicing to save file with");
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
    EXPECT_TRUE(doc().protection().isProtected());

    world->ui.answer(Answer::Ok);
    ASSERT_TRUE(SaveStrategy(doc()).saved());
    EXPECT_FALSE(doc().protection().isProtected());
    auto other = makeWorld();
    ASSERT_TRUE(OpenStrategy(*other->document, path).ok());  // no password asked
    EXPECT_EQ(other->ui.unusedAnswers(), 0u);
    EXPECT_TRUE(other->ui.errors().empty());
}

TEST_F(DocumentCommandsTest, SaveWithOldPasswordKeepsThePassword) {
    ASSERT_TRUE(doc().protection().protect("first"));
    world->dialogs.answerSavePassword(SavePasswordEntry{true, "ignored", "other"});
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    world->dialogs.answerSavePassword(SavePasswordEntry{true, "", ""});
    ASSERT_TRUE(SaveStrategyWithPassword(doc()).saved());
    EXPECT_EQ(world->dialogs.passwordDialogs(), (std::vector<bool>{true, true}));
    EXPECT_EQ(doc().protection().password(), "first");

    auto other = makeWorld();
    other->ui.enterText("first");
    ASSERT_TRUE(OpenStrategy(*other->document, path).ok());
    EXPECT_EQ(other->document->protection().password(), "first");
}

TEST_F(DocumentCommandsTest, MismatchedEntriesKeepTheDialogOpen) {
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    world->dialogs.answerSavePassword(SavePasswordEntry{false, "alpha", "alpah"});
    world->dialogs.answerSavePassword(SavePasswordEntry{false, std::string(24, 'p'), std::string(24, 'p')});
    world->dialogs.answerSavePassword(SavePasswordEntry{false, "alpha", "alpha"});
    ASSERT_TRUE(SaveStrategyWithPassword(doc()).saved());
    // The check box was not offered: there was no password to keep.
    EXPECT_EQ(world->dialogs.passwordDialogs(), (std::vector<bool>{false, false, false}));
    ASSERT_EQ(world->ui.messages().size(), 2u);
    EXPECT_EQ(world->ui.messages()[0],
              "The new and confirmed passwords do not match. Please type them again.");
    EXPECT_EQ(world->ui.shown()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(doc().protection().password(), "alpha");

    auto other = makeWorld();
    other->ui.enterText("alpha");
    EXPECT_TRUE(OpenStrategy(*other->document, path).ok());
}

TEST_F(DocumentCommandsTest, CancelInThePasswordDialogChangesNothing) {
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    const std::string before = fileText();
    world->dialogs.answerSavePassword(std::nullopt);
    EXPECT_EQ(SaveStrategyWithPassword(doc()).outcome, SaveOutcome::Cancelled);
    EXPECT_FALSE(doc().protection().isProtected());
    EXPECT_EQ(fileText(), before);
}

TEST_F(DocumentCommandsTest, AnUnconfiguredBlockAsksBeforeSaving) {
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    const std::string before = fileText();
    addGain(doc().task(0), 1.0f).configured = false;
    world->dialogs.answerSavePassword(SavePasswordEntry{false, "pw", "pw"});
    world->ui.answer(Answer::Cancel);
    EXPECT_EQ(SaveStrategyWithPassword(doc()).outcome, SaveOutcome::Cancelled);
    // The block's own reason, then the question.
    const auto shown = world->ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text.substr(0, 19), "Unconfigured block:");
    EXPECT_EQ(shown[1].text, "Save partially configured file.");
    EXPECT_EQ(fileText(), before);
    EXPECT_FALSE(doc().protection().isProtected());

    world->ui.answer(Answer::Ok);
    EXPECT_TRUE(SaveStrategy(doc()).saved());
    EXPECT_NE(fileText(), before);
}

TEST_F(DocumentCommandsTest, SaveWithoutAPathAsksForOne) {
    world->dialogs.answerSavePath(std::nullopt);
    EXPECT_EQ(SaveStrategy(doc()).outcome, SaveOutcome::Cancelled);
    world->dialogs.answerSavePath(path);
    EXPECT_TRUE(SaveStrategy(doc()).saved());
    EXPECT_EQ(doc().path(), path);
}

TEST_F(DocumentCommandsTest, ANewStrategyIsEmptyAndRecordedAsNotSaved) {
    fillSample(doc());
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    NewStrategy(doc());
    EXPECT_EQ(doc().taskCount(), 1u);
    EXPECT_TRUE(doc().task(0).graph().objects().isEmpty());
    EXPECT_TRUE(doc().virtualTags().empty());
    EXPECT_FALSE(world->tags.IsTagExist(kVirtualTaskName, "LEVEL"));
    EXPECT_TRUE(doc().path().empty());
    EXPECT_EQ(settings().currentKsv, "");
    EXPECT_FALSE(settings().changeKsv);
    EXPECT_FALSE(doc().modified());
}

TEST_F(DocumentCommandsTest, TheToolsWriteAsItStandsWithoutQuestions) {
    addGain(doc().task(0), 1.0f).configured = false;
    ASSERT_TRUE(doc().protection().protect("kept"));
    ASSERT_TRUE(WriteStrategyFile(doc(), path).ok());
    EXPECT_TRUE(world->ui.shown().empty());
    EXPECT_TRUE(doc().path().empty());
    auto other = makeWorld();
    other->ui.enterText("kept");
    EXPECT_TRUE(OpenStrategy(*other->document, path).ok());
}

using FailingStep = FailingFileCalls::Step;

class FailingSaveTest : public DocumentCommandsTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingSaveTest, ASaveThatFailsHalfWayLeavesTheOldFile) {
    fillSample(doc());
    ASSERT_TRUE(SaveStrategyAs(doc(), path).saved());
    const std::string before = fileText();

    FailingFileCalls disk(GetParam(), ENOSPC);
    DocumentServices services = doc().services();
    services.fileCalls = &disk;
    auto failing = std::make_unique<DocumentWorld>(factory, dir / "other.INI");
    failing->document.reset();
    services.tags = &failing->tags;
    services.ui = &failing->ui;
    services.settings = &failing->settings;
    failing->document = std::make_unique<StrategyDocument>(services);
    ASSERT_TRUE(OpenStrategy(*failing->document, path).ok());
    addGain(failing->document->task(0), 9.0f);

    const SaveResult result = SaveStrategy(*failing->document);
    EXPECT_EQ(result.outcome, SaveOutcome::Failed);
    EXPECT_EQ(result.status.code, kMsgCannotOpenFile);
    EXPECT_NE(result.status.context.find("No space left"), std::string::npos) << result.status.context;
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(failing->ui.messages(), std::vector<std::string>{"Cannot open file: " + path});
    EXPECT_TRUE(failing->document->modified());
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 3u);  // the strategy and two settings files, no leftover
}

INSTANTIATE_TEST_SUITE_P(WriteFlushOrRename, FailingSaveTest,
                         ::testing::Values(FailingStep::Write, FailingStep::Fsync, FailingStep::Rename));

}  // namespace
}  // namespace kestrune::testing
