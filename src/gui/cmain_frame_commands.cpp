// CMainFrame: what its commands do (run control, the strategy's files, the
// recent file list and the window rectangle).

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>

#include "app/application.h"
#include "app/status_bar_state.h"
#include "app/status_text.h"
#include "document/document_commands.h"
#include "document/strategy_document.h"
#include "gui/cmain_frame.h"
#include "gui/qt_canvas.h"
#include "gui/qt_document_dialogs.h"
#include "gui/task_window.h"
#include "gui/toolbox.h"
#include "gui/window_rect.h"
#include "platform/status.h"
#include "platform/user_interface.h"
#include "resources/message_box.h"

namespace kestrune {

void CMainFrame::dispatch(int id) {
    if (!isCommandEnabled(id, commandState())) return;
    RunControl& run = app_.runControl();
    switch (id) {
        case kCmdFileNew:
            newStrategy();
            break;
        case kCmdFileOpen:
            openStrategy();
            break;
        case kCmdFileClose:
            closeStrategy();
            break;
        case kCmdFileSave:
        case kCmdFileSaveAs:
        case kCmdSaveWithPassword:
            saveStrategy(id);
            break;
        case kCmdAddTask:
            addTask();
            break;
        case kCmdTaskToolbox:
            showTaskToolbox(!taskToolboxShown_);
            break;
        case kCmdDisplayToolbox:
            showDisplayToolbox(!displayToolboxShown_);
            break;
        case kCmdRefreshScreen:
            refreshScreen();
            break;
        default:
            switch (static_cast<std::uint64_t>(id)) {
                case kCmdStart:
                    startRun();
                    break;
                case kCmdStop:
                    run.stop(StopReason::Command);
                    break;
                case kCmdPause:
                    run.pause();
                    break;
                case kCmdResume:
                    run.resume();
                    break;
                case kCmdLock:
                    run.lock();
                    break;
                case kCmdUnlock:
                    run.unlock();
                    break;
                default:
                    break;
            }
    }
    updateCommands();
}

// ---- run ----

void CMainFrame::startRun() {
    syncPlacements();
    if (app_.runControl().start() == kOk) {
        if (TaskWindow* window = activeTaskWindow()) window->view()->unsetCursor();
    }
}

void CMainFrame::refreshScreen() {
    if (QMdiSubWindow* window = mdi_->currentSubWindow()) {
        window->widget()->update();
        if (auto* task = dynamic_cast<TaskWindow*>(window)) task->view()->update();
    }
}

// ---- task windows ----

std::vector<TaskWindow*> CMainFrame::taskWindows() const {
    std::vector<TaskWindow*> out;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (auto* task = dynamic_cast<TaskWindow*>(window)) out.push_back(task);
    return out;
}

TaskWindow* CMainFrame::activeTaskWindow() const {
    return dynamic_cast<TaskWindow*>(mdi_->currentSubWindow());
}

TaskWindow* CMainFrame::addTaskWindow(StrategyTask& task) {
    auto* window = new TaskWindow(task, [this](const std::string& text) {
        app_.statusBar().setPaneText(StatusPanes::kMessagePane, text);
    });
    mdi_->addSubWindow(window);
    window->applyPlacement(task.placement());
    window->show();
    return window;
}

void CMainFrame::closeTaskWindows() {
    for (TaskWindow* window : taskWindows()) {
        window->allowClose();
        mdi_->removeSubWindow(window);
        delete window;
    }
}

void CMainFrame::showStrategy() {
    closeTaskWindows();
    strategyOpen_ = app_.document() != nullptr;
    if (strategyOpen_ && !runtime_) {
        TaskWindow* first = nullptr;
        for (const auto& task : app_.document()->tasks()) {
            TaskWindow* window = addTaskWindow(*task);
            if (first == nullptr) first = window;
        }
        if (first != nullptr) mdi_->setActiveSubWindow(first);
    }
    updateTitle();
    updateCommands();
}

void CMainFrame::syncPlacements() {
    for (TaskWindow* window : taskWindows()) window->task().placement() = window->currentPlacement();
}

void CMainFrame::addTask() {
    StrategyDocument* document = app_.document();
    if (document == nullptr) return;
    Status why;
    StrategyTask* task = document->addTask(&why);
    if (task == nullptr) {
        showMessageText(app_.ui(), statusText(why));
        return;
    }
    document->setModified(true);
    mdi_->setActiveSubWindow(addTaskWindow(*task));
}

// ---- files ----

bool CMainFrame::saveModified() {
    StrategyDocument* document = app_.document();
    if (!strategyOpen_ || document == nullptr || !document->modified()) return true;
    const std::string& path = document->path();
    const std::string name = path.empty() ? "Untitled" : path.substr(path.find_last_of("/\\:") + 1);
    switch (
        app_.ui().askYesNoCancel("Save changes to " + name + "?", messageCaption(), MessageIcon::Question)) {
        case Answer::Yes:
            return saveStrategy(kCmdFileSave);
        case Answer::No:
            return true;
        default:
            return false;
    }
}

void CMainFrame::newStrategy() {
    if (!saveModified()) return;
    closeTaskWindows();
    NewStrategy(*app_.document());
    showStrategy();
}

void CMainFrame::openStrategy() {
    if (!saveModified()) return;
    const StrategyDocument* document = app_.document();
    const QString start = document != nullptr && !document->path().empty()
                              ? QString::fromStdString(document->directory())
                              : QString();
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open"), start, strategyFileFilter());
    if (!path.isEmpty()) openFile(path);
}

bool CMainFrame::openFile(const QString& path) {
    if (!app_.runControl().isIdle() || app_.document() == nullptr) return false;
    const std::string file = path.toStdString();
    const bool wasOpen = strategyOpen_;
    closeTaskWindows();
    app_.openStrategy(file);
    const bool opened = app_.document()->path() == file;
    if (opened) {
        recent_.add(file);
        saveRecentFiles();
        rebuildRecentMenu();
    }
    if (opened || wasOpen) {
        showStrategy();
    } else {
        updateTitle();
        updateCommands();
    }
    return opened;
}

void CMainFrame::closeStrategy() {
    if (!saveModified()) return;
    closeTaskWindows();
    StrategyDocument& document = *app_.document();
    document.clear();
    document.setPath({});
    document.setModified(false);
    strategyOpen_ = false;
    updateTitle();
    updateCommands();
}

bool CMainFrame::saveStrategy(int id) {
    StrategyDocument& document = *app_.document();
    syncPlacements();
    SaveResult result;
    if (id == kCmdSaveWithPassword)
        result = SaveStrategyWithPassword(document);
    else if (id == kCmdFileSaveAs || document.path().empty())
        result = SaveStrategyAs(document);
    else
        result = SaveStrategy(document);
    if (result.outcome == SaveOutcome::Failed)
        showMessageText(app_.ui(), statusText(result.status), MessageIcon::Error);
    if (!result.saved()) return false;
    recent_.add(document.path());
    saveRecentFiles();
    rebuildRecentMenu();
    updateTitle();
    return true;
}

// ---- recent files ----

void CMainFrame::loadRecentFiles() {
    std::vector<std::string> files;
    settings_.beginGroup(kRecentFileSection);
    for (std::size_t i = 1; i <= RecentFileList::kSize; ++i)
        files.push_back(settings_.value(QStringLiteral("File%1").arg(i)).toString().toStdString());
    settings_.endGroup();
    recent_.assign(files);
    rebuildRecentMenu();
}

void CMainFrame::saveRecentFiles() {
    settings_.beginGroup(kRecentFileSection);
    settings_.remove(QString());
    for (std::size_t i = 0; i < recent_.files().size(); ++i)
        settings_.setValue(QStringLiteral("File%1").arg(i + 1), QString::fromStdString(recent_.files()[i]));
    settings_.endGroup();
    settings_.sync();
}

void CMainFrame::rebuildRecentMenu() {
    recentMenu_->clear();
    int n = 0;
    for (const std::string& file : recent_.files()) {
        const QString path = QString::fromStdString(file);
        QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(path));
        connect(action, &QAction::triggered, this, [this, path] {
            if (app_.runControl().isIdle() && saveModified()) openFile(path);
        });
    }
    recentMenu_->setEnabled(!recent_.files().empty());
}

// ---- window rectangle ----

bool CMainFrame::restoreWindowRect(QSize screen) {
    const QString stored =
        settings_.value(QStringLiteral("%1/%2").arg(kPlacementSection, kWindowRectangleKey)).toString();
    const auto rect = parseWindowRect(stored.toStdString());
    if (!rect) return false;
    const Rect clipped = clipWindowRect(*rect, {screen.width(), screen.height()});
    if (clipped.normalized().isEmpty()) return false;
    setGeometry(QtCanvas::toQRect(clipped.normalized()));
    return true;
}

void CMainFrame::saveWindowRect() {
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    settings_.setValue(QStringLiteral("%1/%2").arg(kPlacementSection, kWindowRectangleKey),
                       QString::fromStdString(formatWindowRect(QtCanvas::fromQRect(r))));
    settings_.sync();
}

}  // namespace kestrune
