// Runs every QtTest class of the desktop program's tests in one process, on
// whatever platform QT_QPA_PLATFORM names (the test run sets offscreen).
// Command-line arguments go to each class; "-class NAME" runs only that one.

#include <QApplication>
#include <QTest>

#include "gui/gui_test_registry.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    QString only;
    if (const qsizetype at = args.indexOf(QStringLiteral("-class")); at >= 0 && at + 1 < args.size()) {
        only = args.at(at + 1);
        args.remove(at, 2);
    }
    int failures = 0;
    for (const auto& entry : kestrune::testing_support::guiTests()) {
        if (!only.isEmpty() && only != QString::fromUtf8(entry.name)) continue;
        std::unique_ptr<QObject> test = entry.make();
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
