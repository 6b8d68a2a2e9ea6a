// kestrune: the desktop program.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>
#include <vector>

#include "gui/command_line.h"
#include "gui/gui_session.h"
#include "gui/screenshot.h"
#include "gui/single_instance.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// Help and version are answered before the GUI starts: they must work where
// there is no display to connect to.
bool answeredWithoutGui(const kestrune::LaunchOptions& launch) {
    if (!launch.ok()) return false;
    if (launch.help) {
        std::fputs(kestrune::usageText().c_str(), stdout);
        return true;
    }
    if (launch.version) {
        std::printf("kestrune %s\n", KESTRUNE_VERSION);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (answeredWithoutGui(kestrune::parseCommandLine(argumentsOf(argc, argv)))) return 0;

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    // Parsed again without the options the toolkit took for itself (-platform ...).
    const kestrune::LaunchOptions launch = kestrune::parseCommandLine(argumentsOf(argc, argv));
    if (!launch.ok()) {
        std::fprintf(stderr, "kestrune: %s\n%s", launch.error.c_str(), kestrune::usageText().c_str());
        return 1;
    }
    if (answeredWithoutGui(launch)) return 0;

    // A screenshot is taken beside a running program, never instead of it.
    kestrune::SingleInstance instance(kestrune::SingleInstance::defaultName());
    if (launch.screenshot.empty() && instance.anotherIsRunning()) return 0;

    kestrune::GuiSession session(launch.runtime, launch.screenshot.empty());
    if (!session.start(launch.strategy)) return 2;
    kestrune::CMainFrame& frame = session.frame();
    QObject::connect(&instance, &kestrune::SingleInstance::activationRequested, &frame, [&frame] {
        if (frame.isMinimized()) frame.showNormal();
        frame.show();
        frame.raise();
        frame.activateWindow();
    });

    if (!launch.screenshot.empty()) {
        if (!frame.strategyOpen()) return 2;
        const bool written =
            kestrune::grabMainWindow(frame, QString::fromStdString(launch.screenshot), QSize(1280, 800));
        if (!written) std::fprintf(stderr, "kestrune: cannot write %s\n", launch.screenshot.c_str());
        return written ? 0 : 3;
    }
    frame.show();
    return QApplication::exec();
}
