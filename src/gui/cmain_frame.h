#pragma once
// The main window: an MDI area with one task window per task of the open
// strategy, the main toolbar, the menus with every command of the command
// table (enabled by its rule), the task and display tool boxes, and the
// two-pane status bar (messages; "Error Count:%lu"). It hosts the
// application's run control (Start, Stop, Pause, Resume, Lock, Unlock,
// Refresh) and the strategy's file commands, keeps the recent file list and
// the window rectangle in the settings, and refuses to close while the
// strategy runs (32928).
//
// In runtime mode the designers are hidden: no task windows, no tool boxes,
// and the title is the runtime title (702).
//
// User-interface thread only. The frame must go before the application
// whose document its windows show.

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

#include "app/run_control.h"
#include "app/command_table.h"
#include "gui/recent_file_list.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;

namespace kestrune {

class Application;
class StrategyTask;
class TaskWindow;
class Toolbox;

struct FrameOptions {
    // Where the window rectangle and the recent files are kept (required).
    QSettings* settings = nullptr;
    bool runtime = false;
};

inline constexpr const char* kPlacementSection = "Placement Section";
inline constexpr const char* kWindowRectangleKey = "Window rectangle";
inline constexpr const char* kRecentFileSection = "Recent File List";

class CMainFrame final : public QMainWindow, public RunObserver {
    Q_OBJECT

  public:
    CMainFrame(Application& app, FrameOptions options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // ---- commands ----
    QAction* commandAction(int id) const;
    // Runs command `id` as its menu entry would, only when it is enabled;
    // false when it was not.
    bool runCommand(int id);
    CommandState commandState() const;
    // Brings every command's enabled and checked state up to date.
    void updateCommands();

    // ---- the strategy ----
    // Opens `path`; true when it is now the open strategy. A file that does
    // not open leaves the strategy that was open (the reason was shown).
    bool openFile(const QString& path);
    // Shows the document as it stands: the application opened it.
    void showStrategy();
    bool strategyOpen() const { return strategyOpen_; }
    std::vector<TaskWindow*> taskWindows() const;
    TaskWindow* activeTaskWindow() const;
    QMdiArea* mdiArea() const { return mdi_; }
    bool runtimeMode() const { return runtime_; }

    // ---- tool boxes ----
    Toolbox* taskToolbox() const { return taskToolbox_; }
    Toolbox* displayToolbox() const { return displayToolbox_; }
    bool taskToolboxShown() const { return taskToolboxShown_; }
    bool displayToolboxShown() const { return displayToolboxShown_; }
    void showTaskToolbox(bool show);
    void showDisplayToolbox(bool show);
    int currentTaskTool() const;
    int currentDisplayTool() const;

    // ---- status bar ----
    QString paneText(int pane) const;

    // ---- settings ----
    const RecentFileList& recentFiles() const { return recent_; }
    // Places the frame at the stored rectangle, clipped to `screen`; false
    // (and the frame left where it is) when none is stored.
    bool restoreWindowRect(QSize screen);
    void saveWindowRect();

    // ---- RunObserver ----
    void runStateChanged() override;
    void runErrorReported(std::string_view text) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // cmain_frame.cpp: the window's parts.
    void createActions();
    void createMenus();
    void createToolbar();
    void createToolboxes();
    void createStatusBar();
    void placeToolbox(Toolbox& toolbox, int fromTop);
    void subWindowActivated(QMdiSubWindow* window);
    void updateTitle();
    void setPane(int pane, const QString& text);

    // cmain_frame_commands.cpp: what the commands do.
    void dispatch(int id);
    void startRun();
    void refreshScreen();
    void newStrategy();
    void openStrategy();
    void closeStrategy();
    bool saveStrategy(int id);
    void addTask();
    // Asks whether to save a modified strategy; false when the user cancelled.
    bool saveModified();
    void closeTaskWindows();
    TaskWindow* addTaskWindow(StrategyTask& task);
    void syncPlacements();
    void loadRecentFiles();
    void saveRecentFiles();
    void rebuildRecentMenu();

    Application& app_;
    QSettings& settings_;
    const bool runtime_;
    bool strategyOpen_ = false;
    bool closing_ = false;

    QMdiArea* mdi_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<MenuName, QMenu*> menus_;
    QMenu* recentMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* errorPane_ = nullptr;
    Toolbox* taskToolbox_ = nullptr;
    Toolbox* displayToolbox_ = nullptr;
    bool taskToolboxShown_ = false;
    bool displayToolboxShown_ = false;
    bool toolboxesPlaced_ = false;
    RecentFileList recent_;
};

}  // namespace kestrune
