// The program's screenshot mode as a script uses it: nobody is there to close
// a message box, so a strategy that does not load must end the program with
// its message on stderr instead of waiting for a click.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "gui/gui_test_registry.h"
#include "gui/program_run.h"

using namespace kestrune::testing_support;

class ScreenshotProgramTest : public QObject {
    Q_OBJECT

    using Outcome = ProgramOutcome;

    QTemporaryDir home_;

    static QString demoPath() { return qEnvironmentVariable("KESTRUNE_SOURCE_DIR") + "/examples/demo.ksv"; }

    Outcome screenshot(const QString& png, const QString& strategy) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KESTRUNE_HOME", home_.path());
        return runKestrune({"--screenshot", png, strategy}, env);
    }

    QString copyOfDemo(const QString& name, qint64 keepBytes) {
        QFile demo(demoPath());
        if (!demo.open(QIODevice::ReadOnly)) return {};
        QByteArray bytes = demo.readAll();
        if (keepBytes >= 0) bytes.truncate(keepBytes);
        const QString path = home_.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
        return path;
    }

  private slots:
    void aGoodStrategyIsGrabbedAtTheFixedSize() {
        QVERIFY(home_.isValid());
        const QString png = home_.filePath("good.png");
        const Outcome o = screenshot(png, copyOfDemo("demo.ksv", -1));
        QVERIFY2(o.finished, "the program did not end");
        QCOMPARE(o.exitCode, 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(1280, 800));
    }

    void aFileThatIsNoStrategyEndsTheProgramWithItsMessage() {
        const QString path = home_.filePath("notes.ksv");
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("these are notes, not a strategy\n");
        text.close();
        const QString png = home_.filePath("bad.png");
        const Outcome o = screenshot(png, path);
        QVERIFY2(o.finished, "the program waited for someone to close a message box");
        QCOMPARE(o.exitCode, 2);
        QVERIFY2(o.err.contains("Invalid file format: "), qPrintable(o.err));
        QVERIFY(!QFile::exists(png));
    }

    void aStrategyCutShortIsReportedAndWhatLoadedIsGrabbed() {
        const QString png = home_.filePath("cut.png");
        const Outcome o = screenshot(png, copyOfDemo("cut.ksv", 300));
        QVERIFY2(o.finished, "the program waited for someone to close a message box");
        QVERIFY2(o.err.contains("File opened with load error."), qPrintable(o.err));
        QCOMPARE(o.exitCode, 0);
        QVERIFY(QFile::exists(png));
    }
};

KESTRUNE_GUI_TEST(ScreenshotProgramTest);
#include "screenshot_program_test.moc"
