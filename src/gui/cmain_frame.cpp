#include "gui/cmain_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "app/application.h"
#include "app/status_bar_state.h"
#include "document/strategy_document.h"
#include "gui/task_window.h"
#include "gui/toolbox.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

constexpr const char* kProgramTitle = "Kestrune";

QString menuTitle(MenuName menu) {
    switch (menu) {
        case MenuName::File:
            return QStringLiteral("&File");
        case MenuName::Strategy:
            return QStringLiteral("&Strategy");
        case MenuName::Run:
            return QStringLiteral("&Run");
        case MenuName::Security:
            return QStringLiteral("Se&curity");
        case MenuName::View:
            return QStringLiteral("&View");
        case MenuName::Tools:
            return QStringLiteral("&Options");
    }
    return {};
}

// Toolbar pictures from the style, so the bar looks at home on any desktop.
QIcon commandIcon(const QStyle& style, int id) {
    switch (id) {
        case kCmdFileNew:
            return style.standardIcon(QStyle::SP_FileIcon);
        case kCmdFileOpen:
            return style.standardIcon(QStyle::SP_DialogOpenButton);
        case kCmdFileSave:
            return style.standardIcon(QStyle::SP_DialogSaveButton);
        case kCmdRefreshScreen:
            return style.standardIcon(QStyle::SP_BrowserReload);
        default:
            break;
    }
    switch (static_cast<std::uint64_t>(id)) {
        case kCmdStart:
            return style.standardIcon(QStyle::SP_MediaPlay);
        case kCmdStop:
            return style.standardIcon(QStyle::SP_MediaStop);
        case kCmdPause:
            return style.standardIcon(QStyle::SP_MediaPause);
        case kCmdResume:
            return style.standardIcon(QStyle::SP_MediaSeekForward);
        case kCmdLock:
            return style.standardIcon(QStyle::SP_DialogNoButton);
        case kCmdUnlock:
            return style.standardIcon(QStyle::SP_DialogYesButton);
        default:
            return {};
    }
}

}  // namespace

CMainFrame::CMainFrame(Application& app, FrameOptions options, QWidget* parent)
    : QMainWindow(parent), app_(app), settings_(*options.settings), runtime_(options.runtime) {
    setObjectName(QStringLiteral("CMainFrame"));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::subWindowActivated);

    createActions();
    createMenus();
    createToolbar();
    createToolboxes();
    createStatusBar();
    loadRecentFiles();

    app_.runControl().addObserver(*this);
    app_.statusBar().setListener([this](int pane, const std::string& text) {
        const QString qtext = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this, [this, pane, qtext] { setPane(pane, qtext); }, Qt::AutoConnection);
    });
    resize(1024, 700);
    updateTitle();
    updateCommands();
}

CMainFrame::~CMainFrame() {
    app_.statusBar().setListener(nullptr);
    app_.runControl().removeObserver(*this);
    closeTaskWindows();
}

// ---- the window's parts ----

void CMainFrame::createActions() {
    for (const CommandInfo& info : mainFrameCommands()) {
        auto* action = new QAction(commandIcon(*style(), info.id),
                                   QString::fromUtf8(info.text.data(), info.text.size()), this);
        const QString tip = QString::fromUtf8(info.tooltip.data(), info.tooltip.size());
        action->setToolTip(tip);
        action->setStatusTip(tip);
        action->setData(info.id);
        if (info.id == kCmdTaskToolbox || info.id == kCmdDisplayToolbox) action->setCheckable(true);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
        actions_[id] = action;
    }
    actions_[kCmdFileNew]->setShortcut(QKeySequence::New);
    actions_[kCmdFileOpen]->setShortcut(QKeySequence::Open);
    actions_[kCmdFileSave]->setShortcut(QKeySequence::Save);
}

void CMainFrame::createMenus() {
    for (const CommandInfo& info : mainFrameCommands()) {
        QMenu*& menu = menus_[info.menu];
        if (menu == nullptr) menu = menuBar()->addMenu(menuTitle(info.menu));
        if (info.id == kCmdConvertHistory || info.id == static_cast<int>(kCmdLock) ||
            info.id == kCmdRefreshScreen || info.id == kCmdEventLogWindow)
            menu->addSeparator();
        menu->addAction(actions_[info.id]);
    }
    QMenu* file = menus_[MenuName::File];
    recentSeparator_ = file->addSeparator();
    recentMenu_ = file->addMenu(QStringLiteral("Recent &Files"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->addAction(QStringLiteral("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
    window->addAction(QStringLiteral("&Tile"), mdi_, &QMdiArea::tileSubWindows);
}

void CMainFrame::createToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Main Toolbar"));
    bar->setObjectName(QStringLiteral("MainToolbar"));
    bar->setMovable(false);
    MenuName group = MenuName::File;
    for (const CommandInfo& info : mainFrameCommands()) {
        if (!info.onToolbar) continue;
        if (info.menu != group) bar->addSeparator();
        group = info.menu;
        bar->addAction(actions_[info.id]);
    }
}

void CMainFrame::createToolboxes() {
    taskToolbox_ = new Toolbox(QStringLiteral("Task Designer Tool Box"),
                               toolsInRange(kFirstTaskTool, kLastTaskTool), 2, this);
    displayToolbox_ = new Toolbox(QStringLiteral("Display Designer Tool Box"),
                                  toolsInRange(kFirstDisplayTool, kLastDisplayTool), 2, this);
    for (Toolbox* box : {taskToolbox_, displayToolbox_}) {
        addDockWidget(Qt::RightDockWidgetArea, box);
        box->setFloating(true);
        box->hide();
        connect(box, &Toolbox::toolChosen, this, [this] { updateCommands(); });
    }
    // Closing a tool box by its own button is the same as the View command.
    connect(taskToolbox_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && taskToolbox_->isHidden() && taskToolboxShown_ && isVisible()) showTaskToolbox(false);
    });
    connect(displayToolbox_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && displayToolbox_->isHidden() && displayToolboxShown_ && isVisible())
            showDisplayToolbox(false);
    });
}

void CMainFrame::createStatusBar() {
    messagePane_ = new QLabel(QStringLiteral("Ready"), this);
    errorPane_ = new QLabel(this);
    errorPane_->setMinimumWidth(140);
    statusBar()->addWidget(messagePane_, 1);
    statusBar()->addPermanentWidget(errorPane_);
}

void CMainFrame::placeToolbox(Toolbox& toolbox, int fromTop) {
    toolbox.adjustSize();
    const QRect frame = geometry();
    toolbox.move(frame.right() - toolbox.width() - 24, frame.top() + fromTop);
}

void CMainFrame::showTaskToolbox(bool show) {
    if (runtime_) show = false;
    taskToolboxShown_ = show;
    if (show && !toolboxesPlaced_) placeToolbox(*taskToolbox_, 90);
    taskToolbox_->setVisible(show);
    updateCommands();
}

void CMainFrame::showDisplayToolbox(bool show) {
    if (runtime_) show = false;
    displayToolboxShown_ = show;
    if (show && !toolboxesPlaced_) placeToolbox(*displayToolbox_, 90 + taskToolbox_->height() + 20);
    displayToolbox_->setVisible(show);
    updateCommands();
}

int CMainFrame::currentTaskTool() const {
    return taskToolbox_->currentTool();
}

int CMainFrame::currentDisplayTool() const {
    return displayToolbox_->currentTool();
}

QString CMainFrame::paneText(int pane) const {
    if (pane == StatusPanes::kMessagePane) return messagePane_->text();
    if (pane == StatusPanes::kErrorCountPane) return errorPane_->text();
    return {};
}

void CMainFrame::setPane(int pane, const QString& text) {
    if (pane == StatusPanes::kMessagePane) messagePane_->setText(text);
    if (pane == StatusPanes::kErrorCountPane) errorPane_->setText(text);
}

void CMainFrame::subWindowActivated(QMdiSubWindow* window) {
    // A task view coming forward brings its tool box with it.
    if (dynamic_cast<TaskWindow*>(window) != nullptr && !taskToolboxShown_ && app_.runControl().isIdle())
        showTaskToolbox(true);
    updateCommands();
}

void CMainFrame::updateTitle() {
    QString title =
        runtime_ ? QString::fromStdString(strings::text(kStrRuntimeTitle)) : QString(kProgramTitle);
    if (strategyOpen_ && app_.document() != nullptr) {
        const std::string& path = app_.document()->path();
        const QString name = path.empty()
                                 ? QStringLiteral("Untitled")
                                 : QString::fromStdString(path.substr(path.find_last_of("/\\:") + 1));
        title += QStringLiteral(" - ") + name;
    }
    setWindowTitle(title);
}

// ---- enabling ----

QAction* CMainFrame::commandAction(int id) const {
    const auto found = actions_.find(id);
    if (found != actions_.end()) return found->second;
    if (QAction* tool = taskToolbox_->toolAction(id)) return tool;
    return displayToolbox_->toolAction(id);
}

CommandState CMainFrame::commandState() const {
    CommandState state = app_.runControl().commandState();
    QMdiSubWindow* current = mdi_->currentSubWindow();
    if (dynamic_cast<TaskWindow*>(current) != nullptr) state.activeChild = ActiveChild::Task;
    state.viewActive = strategyOpen_ && (state.activeChild != ActiveChild::None || runtime_);
    if (const StrategyDocument* document = app_.document())
        state.deviceTarget = document->options().deviceTarget;
    return state;
}

void CMainFrame::updateCommands() {
    const CommandState state = commandState();
    for (auto& [id, action] : actions_) action->setEnabled(isCommandEnabled(id, state));
    actions_[kCmdTaskToolbox]->setChecked(taskToolboxShown_);
    actions_[kCmdDisplayToolbox]->setChecked(displayToolboxShown_);
    if (runtime_) {
        actions_[kCmdTaskToolbox]->setEnabled(false);
        actions_[kCmdDisplayToolbox]->setEnabled(false);
    }
}

bool CMainFrame::runCommand(int id) {
    QAction* action = commandAction(id);
    if (action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

// ---- run observer ----

void CMainFrame::runStateChanged() {
    updateCommands();
}

void CMainFrame::runErrorReported(std::string_view) {
    // The panes follow the status bar state already.
}

// ---- closing ----

void CMainFrame::closeEvent(QCloseEvent* event) {
    saveWindowRect();
    if (!app_.runControl().queryClose() || !saveModified()) {
        event->ignore();
        return;
    }
    saveRecentFiles();
    closeTaskWindows();
    event->accept();
}

}  // namespace kestrune
