// The "Scan Task Setup" dialog as data: its own page with the name, the
// description, the scan period, the starting method and the duration; the
// "OPC Setting" page ("OPC Server Properties") and the "Advanced" page
// ("Advanced Option") behind the dialog's two buttons.

#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/node_host.h"

namespace kestrune {
namespace {

using Table = PropertyTable<ScanTask>;

// The largest value a 16-bit entry holds.
constexpr std::int64_t kMaxEntry = 65535;

// One field of the period as entered.
template <std::uint16_t ScanPeriod::*Part>
void addPeriodField(Table& t, std::string label, std::string key) {
    t.addInt(
         std::move(label), [](const ScanTask& task) { return task.timing().period().*Part; },
         [](ScanTask& task, std::int64_t v) {
             ScanPeriod p = task.timing().period();
             p.*Part = static_cast<std::uint16_t>(v);
             task.timing().setPeriod(p);
         },
         0, kMaxEntry)
        .key(std::move(key));
}

// One field of a delay, duration or daily time, through that time's getter and setter.
template <std::uint16_t HourMinSec::*Part>
Table::Field addTimeField(Table& t, std::string label, std::string key, HourMinSec (TaskTiming::*get)() const,
                          void (TaskTiming::*set)(HourMinSec), std::int64_t max) {
    return t
        .addInt(
            std::move(label), [get](const ScanTask& task) { return (task.timing().*get)().*Part; },
            [get, set](ScanTask& task, std::int64_t v) {
                HourMinSec h = (task.timing().*get)();
                h.*Part = static_cast<std::uint16_t>(v);
                (task.timing().*set)(h);
            },
            0, max)
        .key(std::move(key));
}

template <class T>
void addOpcField(Table& t, std::string label, std::string key, T OpcServerProperties::*member, double min,
                 double max) {
    const auto get = [member](const ScanTask& task) { return task.opcSettings().*member; };
    const auto set = [member](ScanTask& task, T v) {
        OpcServerProperties o = task.opcSettings();
        o.*member = v;
        task.setOpcSettings(o);
    };
    if constexpr (std::is_floating_point_v<T>) {
        t.addFloat(std::move(label), get, set, min, max).key(std::move(key));
    } else {
        t.addInt(
             std::move(label), get, [set](ScanTask& task, std::int64_t v) { set(task, static_cast<T>(v)); },
             static_cast<std::int64_t>(min), static_cast<std::int64_t>(max))
            .key(std::move(key));
    }
}

void addTaskPage(Table& t) {
    t.addString(
         "Tag:", [](const ScanTask& task) { return task.name(); },
         [](ScanTask& task, const std::string& name) { return task.renameTask(name); }, Node::kMaxNameLength)
        .key("name");
    t.addString(
         "Description:", [](const ScanTask& task) { return task.caption(); },
         [](ScanTask& task, const std::string& caption) { task.setCaption(caption); },
         Block::kMaxCaptionLength)
        .key("caption");

    t.group("Scan period");
    addPeriodField<&ScanPeriod::hours>(t, "hour(s)", "periodHours");
    addPeriodField<&ScanPeriod::minutes>(t, "minute(s)", "periodMinutes");
    addPeriodField<&ScanPeriod::seconds>(t, "second(s)", "periodSeconds");
    addPeriodField<&ScanPeriod::milliseconds>(t, "msec(s)", "periodMilliseconds");

    t.group("Starting method");
    t.addChoice(
         "Starting method", [](const ScanTask& task) { return task.timing().startMode(); },
         [](ScanTask& task, StartMode m) { task.timing().setStartMode(m); },
         {{0, "Immediate"},
          {1, "Inactive (activated by command)"},
          {2, "Delayed:"},
          {3, "System time: (starts everyday based on system clock)"}})
        .key("startMode");
    const auto delayed = [](const ScanTask& task) { return task.timing().startMode() == StartMode::Delayed; };
    const auto daily = [](const ScanTask& task) {
        return task.timing().startMode() == StartMode::SystemTime;
    };
    addTimeField<&HourMinSec::hours>(t, "hours", "delayHours", &TaskTiming::delay, &TaskTiming::setDelay,
                                     kMaxEntry)
        .enabledWhen(delayed);
    addTimeField<&HourMinSec::minutes>(t, "minutes", "delayMinutes", &TaskTiming::delay,
                                       &TaskTiming::setDelay, kMaxEntry)
        .enabledWhen(delayed);
    addTimeField<&HourMinSec::seconds>(t, "seconds", "delaySeconds", &TaskTiming::delay,
                                       &TaskTiming::setDelay, kMaxEntry)
        .enabledWhen(delayed);
    addTimeField<&HourMinSec::hours>(t, "hours (0-23)", "dailyHours", &TaskTiming::dailyStart,
                                     &TaskTiming::setDailyStart, 23)
        .enabledWhen(daily);
    addTimeField<&HourMinSec::minutes>(t, "minutes", "dailyMinutes", &TaskTiming::dailyStart,
                                       &TaskTiming::setDailyStart, 59)
        .enabledWhen(daily);
    addTimeField<&HourMinSec::seconds>(t, "seconds", "dailySeconds", &TaskTiming::dailyStart,
                                       &TaskTiming::setDailyStart, 59)
        .enabledWhen(daily);

    t.group("Duration");
    t.addChoice(
         "Duration", [](const ScanTask& task) { return task.timing().durationMode(); },
         [](ScanTask& task, DurationMode m) { task.timing().setDurationMode(m); },
         {{0, "Free run (run forever)"}, {1, "Time-based:"}, {2, "Scan-based:"}})
        .key("durationMode");
    const auto timed = [](const ScanTask& task) {
        return task.timing().durationMode() == DurationMode::TimeBased;
    };
    addTimeField<&HourMinSec::hours>(t, "hours", "durationHours", &TaskTiming::duration,
                                     &TaskTiming::setDuration, kMaxEntry)
        .enabledWhen(timed);
    addTimeField<&HourMinSec::minutes>(t, "minutes", "durationMinutes", &TaskTiming::duration,
                                       &TaskTiming::setDuration, kMaxEntry)
        .enabledWhen(timed);
    addTimeField<&HourMinSec::seconds>(t, "seconds", "durationSeconds", &TaskTiming::duration,
                                       &TaskTiming::setDuration, kMaxEntry)
        .enabledWhen(timed);
    t.addInt(
         "scan(s)", [](const ScanTask& task) { return task.timing().scanLimit(); },
         [](ScanTask& task, std::int64_t v) { task.timing().setScanLimit(static_cast<std::int32_t>(v)); }, 0,
         std::numeric_limits<std::int32_t>::max())
        .key("scanLimit")
        .enabledWhen(
            [](const ScanTask& task) { return task.timing().durationMode() == DurationMode::ScanBased; });
}

void addOpcPage(Table& t) {
    t.page("OPC Setting");
    t.group("OPC Server Properties");
    addOpcField(t, "Update rate", "opcUpdateRate", &OpcServerProperties::updateRate, 0,
                ScanTask::kMaxOpcUpdateRate);
    addOpcField(t, "Dead band (%)", "opcDeadBand", &OpcServerProperties::deadBand, 0,
                ScanTask::kMaxOpcDeadBand);
    addOpcField(t, "Time bias", "opcTimeBias", &OpcServerProperties::timeBias,
                std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    addOpcField(t, "LCID", "opcLocaleId", &OpcServerProperties::localeId, 0,
                std::numeric_limits<std::uint32_t>::max());
    const auto choice = [&t](std::string label, std::string key, std::uint8_t OpcServerProperties::*member,
                             std::vector<PropertyChoice> choices) {
        t.addChoice(
             std::move(label), [member](const ScanTask& task) { return task.opcSettings().*member; },
             [member](ScanTask& task, std::uint8_t v) {
                 OpcServerProperties o = task.opcSettings();
                 o.*member = v;
                 task.setOpcSettings(o);
             },
             std::move(choices))
            .key(std::move(key));
    };
    choice("Scan mode", "opcReadMode", &OpcServerProperties::readMode,
           {{0, "Asynchronous"}, {1, "Synchronous"}});
    choice("Data source", "opcDataSource", &OpcServerProperties::dataSource, {{0, "Cache"}, {1, "Device"}});
}

void addAdvancedPage(Table& t) {
    t.page("Advanced");
    t.group("Advanced Option");
    t.addChoice(
         "Priority", [](const ScanTask& task) { return task.timing().priorityCode(); },
         [](ScanTask& task, std::uint8_t code) { task.timing().setPriorityCode(code); },
         {{0, "Lowest"},
          {1, "Below normal"},
          {2, "Normal"},
          {3, "Above normal"},
          {4, "Time critical (highest)"}})
        .key("priority")
        .defaultValue(std::int64_t{TaskTiming::kDefaultPriorityCode});
}

}  // namespace

const PropertyTable<ScanTask>& ScanTask::propertyTable() {
    static const Table table = [] {
        Table t;
        addTaskPage(t);
        addOpcPage(t);
        addAdvancedPage(t);
        return t;
    }();
    return table;
}

PropertySet ScanTask::properties() {
    return propertyTable().bind(*this);
}

void ScanTask::Configure() {
    if (host() != nullptr && host()->configureNode(*this)) applyEnteredPeriod();
}

PeriodAdjustment ScanTask::applyEnteredPeriod() {
    const PeriodAdjustment adjustment = timing_.adjustPeriod(services_.scheduler.settings().resolutionMs);
    if (adjustment.noticeDue && context().ui != nullptr)
        showMessageText(*context().ui, adjustment.noticeText(), MessageIcon::Information);
    return adjustment;
}

Status ScanTask::renameTask(std::string_view newName) {
    const std::string where = std::string(newName);
    if (newName.empty() || newName.size() > kMaxNameLength) return {kMsgInvalidTaskOrTagName, where};
    if (newName == name()) return {};
    // The blocks' tags live under the task's name, so the database's task
    // follows the rename (when the view has entered it there).
    TagDatabase* tags = context().tags;
    if (tags != nullptr && tags->GetTaskRecordPtr(name()) != nullptr &&
        tags->ChangeTaskName(name(), newName) != kOk) {
        return {kMsgInvalidTaskOrTagName, where};
    }
    setName(newName);
    return {};
}

}  // namespace kestrune
