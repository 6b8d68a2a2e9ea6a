#pragma once
// The application object without windows: it owns what lives from start-up
// to exit (the tag database with its fixed tasks, the settings, the device
// driver and the OPC client, the main queue, the scheduler, the event log
// and run-error reports, the block factory with every kind, the strategy
// document and run control) and takes them up and down in a fixed order.
//
// Start-up (initialize), in this order: the script engine; the tag-database
// task "TASK0" with "SYSINFO" = 1; the settings file read with its defaults
// and limits; the task "VIRTASK"; the device driver and the OPC client; the
// automation server; the block kinds and an empty strategy; the event log;
// and the strategy named on the command line. Exit undoes them in reverse:
// a run still going is stopped, the strategy closed, "SYSINFO", "TASK0" and
// "VIRTASK" deleted, the script engine, the driver, the OPC client and the
// automation server released.
//
// The desktop program adds its windows around it; the command-line runtime
// uses it as it is. Both drain the main queue through handleMessage on the
// main thread and call idle() when the queue is empty. Front ends watch it
// side by side through its observers (and those of run control and the
// event log).
//
// Threads: the main thread only, except what the owned objects say of
// themselves (the main queue and the tag database take any thread). The
// observers are told on the main thread, in the order they were added; one
// may be removed from any thread, also during a notification.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/event_printer.h"
#include "app/run_control.h"
#include "app/status_bar_state.h"
#include "blocks/block_services.h"
#include "engine/task_services.h"
#include "platform/main_queue.h"
#include "platform/observer_list.h"
#include "platform/profile_file.h"
#include "platform/settings.h"
#include "platform/status.h"
#include "taskmodel/block_factory.h"

namespace kestrune {

class AppComponent;
class Beeper;
class CEventLog;
class Clock;
class DeviceDriver;
class DiskSpaceMonitor;
class FileSystemCalls;
class ErrorMessageQueue;
class OpcClient;
class RunDisplays;
class RunErrorLog;
class RunErrorReport;
class RunScripts;
class RunSecurity;
class Scheduler;
class StrategyDocument;
class TagDatabase;
class TickSource;
class TimerService;
class UserInterface;
class DocumentDialogs;

using KindRegistration = std::function<Status(BlockFactory&, const BlockServices&, const TaskServices&)>;

// What the program around the application gives it. Only the user
// interface is required; the rest has a default or is simply absent.
struct ApplicationOptions {
    UserInterface* ui = nullptr;
    // "Kestrune.INI" in the system directory when empty.
    std::filesystem::path settingsFile;
    // Where the event log lives while no strategy is open ("" = the system
    // directory, never the directory the program was started from); none:
    // the event log opens only with a strategy.
    std::optional<std::string> eventLogDirectory = std::string();
    // The system clock, a PeriodicTimer and timers on the clock when null.
    const Clock* clock = nullptr;
    TickSource* ticks = nullptr;
    TimerService* timers = nullptr;
    // How free disk space is measured (statvfs when empty).
    std::function<std::optional<std::uint64_t>(const std::string& directory)> diskProbe;
    // The device list: "devices.ini" in the system directory when empty.
    std::filesystem::path deviceListFile;
    std::string opcKind = "sim";
    // registerAllBlockKinds when empty. Tests register kinds of their own.
    KindRegistration registerKinds;
    DocumentDialogs* dialogs = nullptr;
    // The pieces of later modules; absent until they exist (see each interface).
    AppComponent* scriptEngine = nullptr;
    AppComponent* automation = nullptr;
    ScriptHost* taskScripts = nullptr;
    RunScripts* runScripts = nullptr;
    RunDisplays* displays = nullptr;
    RunSecurity* security = nullptr;
    TaskFedItems* displayItems = nullptr;
    TaskNetworkClient* network = nullptr;
    Beeper* beeper = nullptr;
    // `lp` when null.
    std::unique_ptr<EventPrinter> printer;
    // The system calls of the strategy's and the hold file's saves; the real ones when null.
    FileSystemCalls* fileCalls = nullptr;
};

// What a front end is told by the application.
class ApplicationObserver {
  public:
    virtual ~ApplicationObserver() = default;
    // openStrategy has run: `status` is what it answered (the strategy may
    // have been refused, or opened with a load error).
    virtual void strategyOpened(const std::string& path, const Status& status) {}
    // A main-window message the core does not handle (a front end's
    // windows take it): every observer is told, each takes what it knows.
    virtual void unhandledMessage(const MainMessage& message) {}
};

class Application {
  public:
    explicit Application(ApplicationOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up steps, then opens `strategyPath` when one is given. 0; or
    // the failing step's code, its message shown, and what was done undone.
    // A strategy that cannot be opened is not a start-up failure: the
    // application runs with an empty strategy and the open's status is
    // returned through openStatus().
    Status initialize(const std::string& strategyPath = {});
    bool initialized() const { return initialized_; }
    const Status& openStatus() const { return openStatus_; }
    // The exit steps (also run by the destructor). A run still going is
    // stopped first, waiting at most 30 s for its task threads.
    void exit();

    // Opens a strategy into the document (refused while a run is going); the
    // event log moves to its directory and its display refresh period goes
    // to the scheduler.
    Status openStrategy(const std::string& path);

    // ---- main loop (main thread) ----
    // Every message of the main window that the core handles: the run
    // control messages, the event log's writes and prints, the run-error
    // log's writes, the error message queue. Others go to the observers
    // (unhandledMessage); without one they are dropped.
    void handleMessage(const MainMessage& message);
    // The observer must stay alive until removed.
    void addObserver(ApplicationObserver& observer) { observers_.add(observer); }
    void removeObserver(ApplicationObserver& observer) { observers_.remove(observer); }
    // Handles what is queued now; the number handled.
    std::size_t drainMessages();
    // An idle pass of the main loop.
    void idle();

    // ---- what the application owns ----
    UserInterface& ui() const { return ui_; }
    const Clock& clock() const { return *clock_; }
    MainQueue& mainQueue() { return mainQueue_; }
    TimerService& timers() { return *timers_; }
    const Settings& settings() const { return settings_; }
    ProfileFile& settingsFile() { return settingsFile_; }
    TagDatabase& tags() { return *tags_; }
    DeviceDriver* driver() const { return driver_.get(); }
    OpcClient* opc() const { return opc_.get(); }
    Scheduler& scheduler() { return *scheduler_; }
    CEventLog& eventLog() { return *eventLog_; }
    RunErrorLog& runErrorLog() { return *runErrorLog_; }
    RunErrorReport& errorReport() { return *errorReport_; }
    ErrorMessageQueue& errorMessages() { return *errorMessages_; }
    DiskSpaceMonitor& diskSpace() { return *diskSpace_; }
    StatusBarState& statusBar() { return statusBar_; }
    BlockFactory& factory() { return factory_; }
    const BlockServices& blockServices() const { return blockServices_; }
    RunControl& runControl() { return *runControl_; }
    // Null before initialize and after exit.
    StrategyDocument* document() const { return document_.get(); }

  private:
    Status startComponent(AppComponent* component);
    Status createProcessObjects();
    Status createDocument();
    void openEventLog(const std::string& directory);
    Status openStrategyFile(const std::string& path);

    ApplicationOptions options_;
    UserInterface& ui_;
    const Clock* clock_;
    std::unique_ptr<TickSource> ownedTicks_;
    TickSource* ticks_;
    MainQueue mainQueue_;
    std::unique_ptr<TimerService> ownedTimers_;
    TimerService* timers_;
    ProfileFile settingsFile_;
    Settings settings_;
    std::unique_ptr<TagDatabase> tags_;
    std::unique_ptr<DeviceDriver> driver_;
    std::unique_ptr<OpcClient> opc_;
    std::unique_ptr<Scheduler> scheduler_;
    std::unique_ptr<CEventLog> eventLog_;
    std::unique_ptr<RunErrorLog> runErrorLog_;
    std::unique_ptr<RunErrorReport> errorReport_;
    std::unique_ptr<ErrorMessageQueue> errorMessages_;
    std::unique_ptr<DiskSpaceMonitor> diskSpace_;
    StatusBarState statusBar_;
    std::unique_ptr<RunControl> runControl_;
    BlockServices blockServices_;
    std::unique_ptr<TaskServices> taskServices_;
    BlockFactory factory_;
    std::unique_ptr<StrategyDocument> document_;
    ObserverList<ApplicationObserver> observers_;
    std::vector<AppComponent*> started_;
    bool initialized_ = false;
    Status openStatus_;
};

}  // namespace kestrune
