#include "app/application.h"

#include "app/app_component.h"
#include "app/disk_space.h"
#include "app/error_message_queue.h"
#include "app/event_log.h"
#include "app/event_printer.h"
#include "app/run_error_log.h"
#include "app/run_error_report.h"
#include "app/status_text.h"
#include "app/system_info.h"
#include "app/timer_service.h"
#include "blocks/register_all_blocks.h"
#include "components/driver/device_driver.h"
#include "components/driver/device_list.h"
#include "components/opc/opc_client.h"
#include "components/tagdb/tag_database.h"
#include "document/document_commands.h"
#include "document/strategy_document.h"
#include "engine/scheduler.h"
#include "platform/clock.h"
#include "platform/periodic_timer.h"
#include "platform/system_directory.h"
#include "platform/user_interface.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

constexpr std::chrono::seconds kExitStopLimit{30};

std::filesystem::path settingsPathOf(const ApplicationOptions& options) {
    return options.settingsFile.empty() ? ProfileFile::settingsFile().path() : options.settingsFile;
}

std::filesystem::path deviceListPathOf(const ApplicationOptions& options) {
    return options.deviceListFile.empty() ? systemDirectory() / kDeviceListFileName : options.deviceListFile;
}

}  // namespace

Application::Application(ApplicationOptions options)
    : options_(std::move(options)),
      ui_(*options_.ui),
      clock_(options_.clock != nullptr ? options_.clock : &SystemClock::instance()),
      ownedTicks_(options_.ticks != nullptr ? nullptr : std::make_unique<PeriodicTimer>()),
      ticks_(options_.ticks != nullptr ? options_.ticks : ownedTicks_.get()),
      ownedTimers_(options_.timers != nullptr ? nullptr : std::make_unique<ClockTimerService>(*clock_)),
      timers_(options_.timers != nullptr ? options_.timers : ownedTimers_.get()),
      settingsFile_(settingsPathOf(options_)),
      tags_(std::make_unique<TagDatabase>()),
      scheduler_(std::make_unique<Scheduler>(*ticks_, *clock_, mainQueue_)),
      eventLog_(std::make_unique<CEventLog>(mainQueue_, *clock_)),
      runErrorLog_(std::make_unique<RunErrorLog>(mainQueue_, *clock_)),
      errorReport_(std::make_unique<RunErrorReport>(mainQueue_, *runErrorLog_)),
      errorMessages_(std::make_unique<ErrorMessageQueue>(mainQueue_)),
      diskSpace_(options_.diskProbe
                     ? std::make_unique<DiskSpaceMonitor>(mainQueue_, *clock_, options_.diskProbe)
                     : std::make_unique<DiskSpaceMonitor>(mainQueue_, *clock_)) {
    if (options_.printer) eventLog_->setPrinter(std::move(options_.printer));
    errorReport_->setStatusPanes(&statusBar_);
    errorReport_->setBeeper(options_.beeper);
}

Application::~Application() {
    exit();
}

Status Application::startComponent(AppComponent* component) {
    if (component == nullptr) return {};
    if (Status status = component->start(); !status) return status;
    started_.push_back(component);
    return {};
}

Status Application::initialize(const std::string& strategyPath) {
    if (initialized_) return {};
    if (Status status = startComponent(options_.scriptEngine); !status) {
        exit();
        return status;
    }
    if (Status status = createProcessObjects(); !status) {
        exit();
        return status;
    }
    if (Status status = startComponent(options_.automation); !status) {
        exit();
        return status;
    }
    if (Status status = createDocument(); !status) {
        showMessageText(ui_, statusText(status), MessageIcon::Error);
        exit();
        return status;
    }
    initialized_ = true;
    if (!strategyPath.empty()) openStatus_ = openStrategy(strategyPath);
    // Without a strategy (or when it did not open) the empty one's log.
    if (eventLog_->workingFilePath().empty() && options_.eventLogDirectory) {
        std::string directory = *options_.eventLogDirectory;
        if (directory.empty()) {
            // A directory that cannot be made is named by the open's error.
            ensureSystemDirectory();
            directory = systemDirectory().string();
        }
        openEventLog(directory);
    }
    return {};
}

Status Application::createProcessObjects() {
    if (const Code code = createSystemInfo(*tags_); code != kOk) return code;
    settings_ = readSettings(settingsFile_);
    scheduler_->setSettings(SchedulerSettings::fromSettings(settings_));
    if (const Code code = createVirtualTask(*tags_); code != kOk) return code;
    driver_ = makeDeviceDriver(deviceListPathOf(options_));
    opc_ = makeOpcClient(options_.opcKind);
    if (opc_ == nullptr) {
        const std::string which = "OPC client \"" + options_.opcKind + "\"";
        showMessageBox(ui_, kMsgGenericError, {": unknown " + which}, MessageIcon::Error);
        return {kMsgGenericError, "unknown " + which};
    }
    driver_->setUserInterface(&ui_);
    opc_->setUserInterface(&ui_);
    errorReport_->setDriver(driver_.get());
    errorReport_->setOpcClient(opc_.get());
    return {};
}

Status Application::createDocument() {
    RunControlServices run{*tags_,     *scheduler_,       mainQueue_,          *timers_,         ui_,
                           *eventLog_, *runErrorLog_,     *errorReport_,       *diskSpace_,      statusBar_,
                           opc_.get(), options_.displays, options_.runScripts, options_.security};
    runControl_ = std::make_unique<RunControl>(run);

    blockServices_.driver = driver_.get();
    blockServices_.opc = opc_.get();
    blockServices_.mainQueue = &mainQueue_;
    blockServices_.runErrors = runControl_.get();
    taskServices_ = std::make_unique<TaskServices>(TaskServices{*scheduler_, mainQueue_, options_.taskScripts,
                                                                runControl_.get(), opc_.get(),
                                                                options_.network, options_.displayItems});
    const KindRegistration registration =
        options_.registerKinds ? options_.registerKinds : KindRegistration(registerAllBlockKinds);
    if (Status status = registration(factory_, blockServices_, *taskServices_); !status) return status;

    DocumentServices services{
        .factory = factory_,
        .tags = tags_.get(),
        .ui = &ui_,
        .dialogs = options_.dialogs,
        .settings = &settingsFile_,
        .outputRegistry = nullptr,
        .resolutionMs = static_cast<std::uint32_t>(scheduler_->settings().resolutionMs),
        .randomKey = {},
        .fileCalls = options_.fileCalls,
    };
    document_ = std::make_unique<StrategyDocument>(std::move(services));
    runControl_->attachDocument(document_.get());
    return {};
}

void Application::openEventLog(const std::string& directory) {
    if (Status status = eventLog_->open(directory); !status)
        showMessageText(ui_, statusText(status), MessageIcon::Error);
}

Status Application::openStrategy(const std::string& path) {
    Status status = openStrategyFile(path);
    observers_.notify([&](ApplicationObserver& o) { o.strategyOpened(path, status); });
    return status;
}

Status Application::openStrategyFile(const std::string& path) {
    if (document_ == nullptr) return kMsgGenericError;
    if (!runControl_->isIdle()) {
        showMessageBox(ui_, kMsgProcessStillRunning);
        return kMsgProcessStillRunning;
    }
    Status heldValues;
    Status status = OpenStrategy(*document_, path, &heldValues);
    if (document_->path() != path) return status;
    SchedulerSettings scheduling = scheduler_->settings();
    scheduling.setRefreshPeriodMs(static_cast<int>(document_->options().displayRefreshMs));
    scheduler_->setSettings(scheduling);
    // A strategy that loaded only in part is refused by the runtime: nothing
    // is created beside it. Its events go on to the log that was open.
    if (status) {
        openEventLog(document_->directory());
        eventLog_->setEnabled(document_->options().eventLog);
    }
    if (!heldValues) {
        // The retained values are gone from this run on: the user must hear it.
        const std::string text = statusText(heldValues);
        showMessageText(ui_, text, MessageIcon::Error);
        eventLog_->addEvent(EventKind::Note, text);
    }
    return status;
}

void Application::exit() {
    if (runControl_ != nullptr && !runControl_->isIdle()) runControl_->stopAndWait(kExitStopLimit);
    // Lines the run left for the logs are written before the files close.
    drainMessages();
    document_.reset();
    if (runControl_ != nullptr) runControl_->attachDocument(nullptr);
    eventLog_->close();
    removeSystemEntries(*tags_);
    // The script engine first and the automation server last, as they
    // always went; whatever else started stops in reverse.
    for (auto it = started_.rbegin(); it != started_.rend(); ++it)
        if (*it != options_.automation) (*it)->stop();
    errorReport_->setDriver(nullptr);
    errorReport_->setOpcClient(nullptr);
    blockServices_ = {};
    driver_.reset();
    opc_.reset();
    for (AppComponent* component : started_)
        if (component == options_.automation) component->stop();
    started_.clear();
    initialized_ = false;
}

// ---- main loop ----

void Application::handleMessage(const MainMessage& message) {
    switch (message.id) {
        case kMsgWriteEventLines:
            if (Status s = eventLog_->writePendingLines(); !s) errorMessages_->queue(statusText(s));
            return;
        case kMsgPrintEventLines:
            if (Status s = eventLog_->printPendingLines(); !s) errorMessages_->queue(statusText(s));
            return;
        case kMsgWriteRunError:
            if (Status s = runErrorLog_->writeNext(); !s) errorMessages_->queue(statusText(s));
            return;
        case kMsgShowNextErrorMessage:
            errorMessages_->showNext(ui_);
            return;
        case kMsgAcknowledgeEventLine:
            eventLog_->acknowledgeLine(static_cast<std::size_t>(message.wParam));
            return;
        default:
            break;
    }
    if (runControl_ != nullptr && runControl_->handleMessage(message)) return;
    observers_.notify([&message](ApplicationObserver& o) { o.unhandledMessage(message); });
}

std::size_t Application::drainMessages() {
    return mainQueue_.drain([this](const MainMessage& m) { handleMessage(m); });
}

void Application::idle() {
    if (runControl_ != nullptr) runControl_->idle();
}

}  // namespace kestrune
