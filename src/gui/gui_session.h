#pragma once
// The desktop program put together: the Qt user interface, dialogs and
// timers, the application object with them, the main queue drained on the
// event loop, the settings of the main window, and the main frame.
// Built after the QApplication, destroyed before it; the frame goes first
// and the application last.

#include <QSettings>
#include <memory>
#include <string>

#include "app/application.h"
#include "gui/cmain_frame.h"
#include "gui/main_queue_pump.h"
#include "gui/qt_document_dialogs.h"
#include "gui/qt_timer_service.h"
#include "gui/qt_user_interface.h"
#include "platform/stderr_user_interface.h"

namespace kestrune {

// The file that keeps the main window's rectangle and recent files.
QString frameSettingsPath();

class GuiSession {
  public:
    // Unattended (the screenshot mode) prints messages to stderr and gives the
    // cautious answers: nobody is there to close a message box.
    explicit GuiSession(bool runtime, bool attended = true);
    ~GuiSession();

    // The start-up steps and the strategy (when given); the start-up's status.
    Status start(const std::string& strategyPath);
    CMainFrame& frame() { return *frame_; }
    Application& application() { return *app_; }

  private:
    QtUserInterface ui_;
    StderrUserInterface unattendedUi_;
    QtDocumentDialogs dialogs_;
    QtTimerService timers_;
    QSettings settings_;
    std::unique_ptr<Application> app_;
    std::unique_ptr<MainQueuePump> pump_;
    std::unique_ptr<CMainFrame> frame_;
    QTimer idle_;
    const bool runtime_;
};

}  // namespace kestrune
