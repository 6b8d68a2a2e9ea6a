#pragma once
// Starting the built desktop program as a child, as a user or a script does,
// with a generous bound that only tells a hang from a slow machine.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kestrune::testing_support {

struct ProgramOutcome {
    bool finished = false;
    int exitCode = -1;  // -1 also when the program crashed
    QString out;
    QString err;
};

inline ProgramOutcome runKestrune(const QStringList& args, const QProcessEnvironment& env,
                                  const QString& directory = {}) {
    constexpr int kHangMs = 60000;
    QProcess program;
    program.setProcessEnvironment(env);
    if (!directory.isEmpty()) program.setWorkingDirectory(directory);
    program.start(qEnvironmentVariable("KESTRUNE_BINARY_DIR") + "/bin/kestrune", args);
    ProgramOutcome o;
    o.finished = program.waitForFinished(kHangMs);
    if (!o.finished) program.kill();
    o.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    o.out = QString::fromUtf8(program.readAllStandardOutput());
    o.err = QString::fromUtf8(program.readAllStandardError());
    return o;
}

}  // namespace kestrune::testing_support
