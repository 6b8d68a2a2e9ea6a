#include "gui/gui_session.h"

#include <QGuiApplication>
#include <QScreen>

#include "document/strategy_document.h"
#include "platform/system_directory.h"

namespace kestrune {
namespace {

// The idle pass (the disk-space watch looks at most once a second anyway).
constexpr int kIdleIntervalMs = 500;

}  // namespace

QString frameSettingsPath() {
    return QString::fromStdString((systemDirectory() / "Kestrune.conf").string());
}

GuiSession::GuiSession(bool runtime, bool attended)
    : settings_(frameSettingsPath(), QSettings::IniFormat), runtime_(runtime) {
    ensureSystemDirectory();
    ApplicationOptions options;
    options.ui = attended ? static_cast<UserInterface*>(&ui_) : &unattendedUi_;
    options.timers = &timers_;
    options.dialogs = &dialogs_;
    app_ = std::make_unique<Application>(std::move(options));
}

GuiSession::~GuiSession() {
    idle_.stop();
    frame_.reset();
    pump_.reset();
    app_->exit();
}

Status GuiSession::start(const std::string& strategyPath) {
    if (Status status = app_->initialize(); !status) return status;
    pump_ = std::make_unique<MainQueuePump>(app_->mainQueue(), [this] { app_->drainMessages(); });
    frame_ = std::make_unique<CMainFrame>(*app_, FrameOptions{&settings_, runtime_});
    ui_.setParentWindow(frame_.get());
    dialogs_.setParentWindow(frame_.get());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) frame_->restoreWindowRect(screen->size());
    QObject::connect(&idle_, &QTimer::timeout, [this] { app_->idle(); });
    idle_.start(kIdleIntervalMs);
    if (!strategyPath.empty())
        frame_->openFile(QString::fromStdString(strategyPath));
    else
        frame_->showStrategy();
    return {};
}

}  // namespace kestrune
