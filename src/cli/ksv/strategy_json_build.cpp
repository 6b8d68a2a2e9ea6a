// The build half of strategy_json.h: the document-level records here, the
// tasks in task_json_build.cpp.

#include <cfloat>
#include <cmath>

#include "cli/ksv/kept_json_build.h"
#include "cli/ksv/strategy_json.h"
#include "cli/ksv/task_json_build.h"
#include "document/strategy_document.h"

namespace kestrune::ksv {
namespace {

Status readProtection(JsonObject& top, Protection& protection) {
    bool isProtected = false;
    std::string password;
    top.boolean("protected", isProtected);
    top.text("password", password, Protection::kMaxPasswordLength);
    if (!top) return top.problem();
    if (top.has("password")) {
        if (top.has("protected") && !isProtected) {
            return invalidAt(top.pathOf("protected"), "a strategy with a password is protected");
        }
        protection.protect(password);
    } else if (isProtected) {
        return invalidAt(top.pathOf("protected"), "a protected strategy needs its \"password\"");
    }
    return {};
}

Status readOptions(const Json& json, StrategyOptions& o) {
    JsonObject j(json, "options");
    j.allowOnly({"beep_on_error", "log_errors", "print_events", "event_log", "error_limit",
                 "display_refresh_ms", "security_checking", "frame_layout", "start_locked", "device_target",
                 "device_width", "device_height"});
    std::uint8_t printEvents = static_cast<std::uint8_t>(o.printEvents);
    j.boolean("beep_on_error", o.beepOnError);
    j.boolean("log_errors", o.logErrors);
    j.integer("print_events", printEvents, 0, 2);
    j.boolean("event_log", o.eventLog);
    j.integer("error_limit", o.errorLimit);
    j.integer("display_refresh_ms", o.displayRefreshMs);
    j.boolean("security_checking", o.securityChecking);
    j.integer("frame_layout", o.frameLayout);
    j.boolean("start_locked", o.startLocked);
    j.boolean("device_target", o.deviceTarget);
    j.integer("device_width", o.deviceWidth);
    j.integer("device_height", o.deviceHeight);
    o.printEvents = static_cast<PrintEvents>(printEvents);
    return j.problem();
}

std::uint16_t typeCode(const Json& v) {
    if (v.is_string()) {
        const auto& s = v.get_ref<const std::string&>();
        if (s == "integer") return VirtualTag::kInteger;
        if (s == "float") return VirtualTag::kFloat;
        if (s == "string") return VirtualTag::kString;
        return 0;
    }
    if (!v.is_number_integer()) return 0;
    const auto t = v.get<std::int64_t>();
    return t == VirtualTag::kInteger || t == VirtualTag::kFloat || t == VirtualTag::kString
               ? static_cast<std::uint16_t>(t)
               : 0;
}

Status readInitialValue(JsonObject& j, VirtualTag& tag) {
    switch (tag.type()) {
        case VirtualTag::kInteger: {
            std::int32_t v = 0;
            j.integer("value", v);
            tag.setInitialInteger(v);
            break;
        }
        case VirtualTag::kString: {
            std::string v;
            j.text("value", v, VirtualTag::kMaxTextLength);
            tag.setInitialText(v);
            break;
        }
        default: {
            double v = 0;
            j.number("value", v);
            if (std::isfinite(v) && std::fabs(v) > FLT_MAX) j.fail("value", "too large for a float");
            tag.setInitialFloat(static_cast<float>(v));
            break;
        }
    }
    return j.problem();
}

Status readVirtualTags(const Json& list, StrategyDocument& document) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonObject j(list[i], elementPath("virtual_tags", i));
        j.allowOnly({"name", "type", "hold", "value"});
        std::string name;
        bool hold = false;
        std::uint16_t type = VirtualTag::kFloat;
        j.text("name", name, VirtualTag::kMaxNameLength, false);
        j.boolean("hold", hold);
        if (const Json* t = j.find("type")) {
            type = typeCode(*t);
            if (type == 0) j.fail("type", "expected 1 (or \"integer\"), 2 (\"float\") or 4 (\"string\")");
        }
        if (!j.has("name")) j.fail("name", "a virtual tag needs its name");
        if (!j) return j.problem();
        Status why;
        VirtualTag* tag = document.addVirtualTag(name, type, hold, &why);
        if (tag == nullptr) return invalidAt(j.pathOf("name"), why.context.empty() ? "refused" : why.context);
        if (Status s = readInitialValue(j, *tag); !s) return s;
    }
    return {};
}

Status readNetworkTasks(const Json& list, std::vector<NetworkTaskName>& names) {
    // The reader keeps this much of each text.
    constexpr std::size_t kLongest = 255;
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonObject j(list[i], elementPath("network_tasks", i));
        j.allowOnly({"name", "text"});
        NetworkTaskName n;
        j.text("name", n.name, kLongest);
        j.text("text", n.text, kLongest);
        if (!j) return j.problem();
        names.push_back(std::move(n));
    }
    return {};
}

Status readNetwork(const Json& json, NetworkSettings& n) {
    JsonObject j(json, "network");
    j.allowOnly(
        {"station_name", "retry_times", "response_timeout_ms", "reconnect_interval_ms", "log_messages"});
    j.text("station_name", n.stationName, NetworkSettings::kNameField - 1);
    j.integer("retry_times", n.retryTimes);
    j.integer("response_timeout_ms", n.responseTimeoutMs);
    j.integer("reconnect_interval_ms", n.reconnectIntervalMs);
    j.integer("log_messages", n.logMessages);
    return j.problem();
}

Status readTasks(const Json& list, StrategyDocument& document) {
    IdPlan ids;
    if (Status s = ids.collect(list, "tasks"); !s) return s;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string path = elementPath("tasks", i);
        Status why;
        StrategyTask* task = i == 0 ? &document.task(0) : document.addTask(&why);
        if (task == nullptr)
            return invalidAt(path, why.context.empty() ? "no task can be made" : why.context);
        if (Status s = buildTask(list[i], path, *task, ids); !s) return s;
        for (std::size_t other = 0; other < i; ++other) {
            if (document.task(other).name() == task->name()) {
                return invalidAt(memberPath(path, "name"),
                                 "tasks[" + std::to_string(other) + "] has that name");
            }
        }
    }
    return {};
}

}  // namespace

Status buildStrategy(const Json& json, StrategyDocument& document) {
    JsonObject top(json, "");
    top.allowOnly({"version", "protected", "password", "options", "tasks", "sections", "virtual_tags",
                   "network_tasks", "network"});
    // The version is what the file was; a built file is always of this version.
    top.object("version");
    const Json* options = top.object("options");
    const Json* tasks = top.array("tasks");
    const Json* sections = top.array("sections");
    const Json* virtualTags = top.array("virtual_tags");
    const Json* networkTasks = top.array("network_tasks");
    const Json* network = top.object("network");
    if (!top) return top.problem();
    if (Status s = readProtection(top, document.protection()); !s) return s;
    if (options != nullptr) {
        if (Status s = readOptions(*options, document.options()); !s) return s;
    }
    if (tasks != nullptr) {
        if (Status s = readTasks(*tasks, document); !s) return s;
    }
    if (sections != nullptr) {
        if (Status s = buildKeptSections(*sections, document); !s) return s;
    }
    if (virtualTags != nullptr) {
        if (Status s = readVirtualTags(*virtualTags, document); !s) return s;
    }
    if (networkTasks != nullptr) {
        if (Status s = readNetworkTasks(*networkTasks, document.networkTaskNames()); !s) return s;
    }
    if (network != nullptr) return readNetwork(*network, document.networkSettings());
    return {};
}

}  // namespace kestrune::ksv
