// The main frame's save commands with their dialogs: Save As to a new name,
// Save of an untitled strategy, Save with password, a cancelled dialog, and
// the "Save with Password" dialog itself.

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "gui/frame_fixture.h"
#include "gui/gui_test_registry.h"
#include "gui/save_password_dialog.h"

using namespace kestrune;
using namespace kestrune::testing_support;

class FileCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        f = std::make_unique<FrameFixture>();
        QVERIFY(f->initialized);
        path = f->writeTwoTaskStrategy();
        QVERIFY(f->frame->openFile(path));
    }
    void cleanup() { f.reset(); }

    void saveAsWritesUnderTheNewNameAndRemembersIt() {
        const std::string copy = (f->dir / "copy.ksv").string();
        f->dialogs.answerSavePath(copy);
        QVERIFY(f->frame->runCommand(kCmdFileSaveAs));
        QVERIFY(std::filesystem::exists(copy));
        QCOMPARE(f->app->document()->path(), copy);
        QCOMPARE(f->frame->windowTitle(), QStringLiteral("Kestrune - copy.ksv"));
        QCOMPARE(f->frame->recentFiles().files().front(), copy);
        QCOMPARE(f->app->settingsFile().getString("System", "CurrentKSV"), copy);
        QCOMPARE(f->app->settingsFile().getString("System", "ChangeKSV"), std::string("1"));
    }

    void aCancelledSaveAsWritesNothing() {
        f->app->document()->setModified(true);
        f->dialogs.answerSavePath(std::nullopt);
        QVERIFY(f->frame->runCommand(kCmdFileSaveAs));
        QCOMPARE(f->app->document()->path(), path.toStdString());
        QVERIFY(f->app->document()->modified());
        QCOMPARE(f->frame->recentFiles().files().size(), std::size_t{1});
    }

    void savingANewStrategyAsksForAName() {
        QVERIFY(f->frame->runCommand(kCmdFileNew));
        QCOMPARE(f->frame->windowTitle(), QStringLiteral("Kestrune - Untitled"));
        const std::string fresh = (f->dir / "fresh.ksv").string();
        f->dialogs.answerSavePath(fresh);
        QVERIFY(f->frame->runCommand(kCmdFileSave));
        QCOMPARE(f->dialogs.pathDialogs(), std::size_t{1});
        QVERIFY(std::filesystem::exists(fresh));
        QCOMPARE(f->app->document()->path(), fresh);
    }

    void saveWithPasswordProtectsTheFile() {
        f->dialogs.answerSavePassword(SavePasswordEntry{false, "secret", "secret"});
        QVERIFY(f->frame->runCommand(kCmdSaveWithPassword));
        QCOMPARE(f->dialogs.passwordDialogs(), std::vector<bool>{false});
        QVERIFY(f->app->document()->protection().isProtected());
        // Opening it again asks for the password.
        f->ui.enterText(std::string("secret"));
        QVERIFY(f->frame->openFile(path));
        QVERIFY(f->app->document()->protection().isProtected());
        QVERIFY(f->ui.errors().empty());
    }

    void theNewWindowOfAModifiedStrategyAsksFirstAndYesSaves() {
        f->app->document()->setModified(true);
        f->ui.answer(Answer::Yes);
        QVERIFY(f->frame->runCommand(kCmdFileNew));
        QVERIFY(f->ui.errors().empty());
        // Saved under its own name, then replaced by a new one.
        QCOMPARE(f->app->document()->path(), std::string());
        QCOMPARE(f->frame->taskWindows().size(), std::size_t{1});
        QCOMPARE(f->frame->recentFiles().files().front(), path.toStdString());
    }

    void thePasswordDialogOffersTheOldPasswordOnlyWhenProtected() {
        SavePasswordDialog unprotected(false);
        QVERIFY(!unprotected.useOldPassword()->isEnabled());
        QVERIFY(!unprotected.useOldPassword()->isChecked());
        QVERIFY(unprotected.newPassword()->isEnabled());
        QCOMPARE(unprotected.newPassword()->maxLength(), 23);
        QCOMPARE(unprotected.newPassword()->echoMode(), QLineEdit::Password);

        SavePasswordDialog isProtected(true);
        QVERIFY(isProtected.useOldPassword()->isEnabled());
        QVERIFY(isProtected.useOldPassword()->isChecked());
        QVERIFY(!isProtected.newPassword()->isEnabled());
        QVERIFY(!isProtected.confirmPassword()->isEnabled());
        isProtected.useOldPassword()->setChecked(false);
        QVERIFY(isProtected.newPassword()->isEnabled());
        isProtected.newPassword()->setText(QStringLiteral("abc"));
        isProtected.confirmPassword()->setText(QStringLiteral("abd"));
        const SavePasswordEntry entry = isProtected.entry();
        QVERIFY(!entry.useOldPassword);
        QCOMPARE(entry.newPassword, std::string("abc"));
        QCOMPARE(entry.confirmPassword, std::string("abd"));
    }

  private:
    std::unique_ptr<FrameFixture> f;
    QString path;
};

KESTRUNE_GUI_TEST(FileCommandsTest);
#include "file_commands_test.moc"
