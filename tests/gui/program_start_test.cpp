// Starting the desktop program as a user does: from a shell without a
// display, or from whatever directory the user happens to be in.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "gui/gui_test_registry.h"
#include "gui/program_run.h"

class ProgramStartTest : public QObject {
    Q_OBJECT

    using Outcome = kestrune::testing_support::ProgramOutcome;

    QTemporaryDir home_;

    static Outcome run(const QStringList& args, const QProcessEnvironment& env, const QString& directory = {}) {
        return kestrune::testing_support::runKestrune(args, env, directory);
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KESTRUNE_HOME", home_.path());
        return env;
    }

  private slots:
    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("help") << "--help"
                              << "usage: kestrune";
        QTest::newRow("version") << "--version"
                                 << "kestrune ";
    }

    void helpAndVersionNeedNoDisplay() {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcessEnvironment env = environment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        const Outcome o = run({option}, env);
        QVERIFY2(o.finished, "the program did not end");
        QCOMPARE(o.exitCode, 0);
        QVERIFY2(o.out.startsWith(expected), qPrintable(o.out));
    }

    void startingLeavesTheCurrentDirectoryAlone() {
        QVERIFY(home_.isValid());
        QTemporaryDir current;
        QVERIFY(current.isValid());
        const QString strategy = home_.filePath("demo.ksv");
        QVERIFY(QFile::copy(qEnvironmentVariable("KESTRUNE_SOURCE_DIR") + "/examples/demo.ksv", strategy));
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const Outcome o = run({"--screenshot", home_.filePath("shot.png"), strategy}, env, current.path());
        QVERIFY2(o.finished, "the program did not end");
        QCOMPARE(o.exitCode, 0);
        const QStringList made =
            QDir(current.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QVERIFY2(made.isEmpty(), qPrintable(made.join(", ")));
    }
};

KESTRUNE_GUI_TEST(ProgramStartTest);
#include "program_start_test.moc"
