// The dump half of strategy_json.h: the document's records, then each task
// with its task object, blocks and wires.

#include <vector>

#include "cli/ksv/block_record.h"
#include "cli/ksv/settings_json.h"
#include "cli/ksv/strategy_json.h"
#include "cli/ksv/strategy_json_keys.h"
#include "document/strategy_document.h"
#include "engine/scan_task.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"

namespace kestrune::ksv {
namespace {

Json pointJson(const Point& p) {
    return Json::array({p.x, p.y});
}

Json rectJson(const Rect& r) {
    return Json::array({r.left, r.top, r.right, r.bottom});
}

Json versionJson(const FileVersion& v) {
    return {{"major", v.major},
            {"minor", v.minor},
            {"build", v.build},
            {"combined", v.combined()},
            {"text", v.text()}};
}

Json optionsJson(const StrategyOptions& o) {
    return {{"beep_on_error", o.beepOnError},
            {"log_errors", o.logErrors},
            {"print_events", static_cast<int>(o.printEvents)},
            {"event_log", o.eventLog},
            {"error_limit", o.errorLimit},
            {"display_refresh_ms", o.displayRefreshMs},
            {"security_checking", o.securityChecking},
            {"frame_layout", o.frameLayout},
            {"start_locked", o.startLocked},
            {"device_target", o.deviceTarget},
            {"device_width", o.deviceWidth},
            {"device_height", o.deviceHeight}};
}

Json placementJson(const WindowPlacement& p) {
    return {{"flags", p.flags},
            {"show", p.showCommand},
            {"min_position", pointJson(p.minPosition)},
            {"max_position", pointJson(p.maxPosition)},
            {"normal", rectJson(p.normal)}};
}

Json virtualTagJson(const VirtualTag& tag) {
    Json j = {{"name", tag.name()}, {"type", tag.type()}, {"hold", tag.hold()}};
    switch (tag.type()) {
        case VirtualTag::kInteger:
            j["value"] = tag.initialInteger();
            break;
        case VirtualTag::kString:
            j["value"] = tag.initialText();
            break;
        default:
            j["value"] = numberJson(tag.initialFloat());
            break;
    }
    return j;
}

Json networkJson(const NetworkSettings& n) {
    return {{"station_name", n.stationName},
            {"retry_times", n.retryTimes},
            {"response_timeout_ms", n.responseTimeoutMs},
            {"reconnect_interval_ms", n.reconnectIntervalMs},
            {"log_messages", n.logMessages}};
}

// The record fields of the common part a block's own members do not show.
void addRecordFields(Json& j, const BlockCommonPart& c) {
    j["id"] = c.id;
    j["instance"] = c.instance;
    j["order"] = c.order;
    j["box"] = rectJson(c.box);
    Json inputs = Json::array();
    for (const InputPort& port : c.inputs) {
        inputs.push_back(
            {{"source", port.sourceId}, {"output", port.sourceOutput}, {"mask", port.acceptedMask}});
    }
    j["inputs"] = std::move(inputs);
    Json outputs = Json::array();
    for (const OutputPort& port : c.outputs) outputs.push_back({{"type", port.dataType}});
    j["outputs"] = std::move(outputs);
    j["consumers"] = c.consumers;
}

// Settings and payload; a payload the block cannot give is left out (the
// build then starts from a new block's).
void addKindFields(Json& j, Block& block, std::span<const std::string_view> leaveOut) {
    j["settings"] = settingsJson(block.properties(), leaveOut);
    std::vector<std::uint8_t> payload;
    if (kindPayload(block, payload)) j["payload"] = toHex(payload);
}

Json blockJson(Block& block) {
    const BlockCommonPart common = BlockCommonPart::of(block);
    Json j;
    j["kind"] = common.kind;
    if (const BlockKindInfo* info = FindKindByCode(common.kind)) {
        j["tag"] = std::string(toString(info->fileTag));
        j["kind_name"] = std::string(info->caption);
    }
    j["name"] = common.name;
    j["caption"] = common.caption;
    addRecordFields(j, common);
    addKindFields(j, block, kBlockOwnFields);
    return j;
}

// A record no class reads: its tag and its bytes, with what its node part
// says shown beside them (the build takes them from the bytes).
Json opaqueJson(const OpaqueRecord& record) {
    Json j;
    j["tag"] = std::string(toString(record.fileTag()));
    if (record.nodePartRead()) {
        j["kind"] = record.storedKind();
        j["id"] = record.id();
        j["order"] = record.order();
    }
    j["record"] = toHex(record.body());
    return j;
}

Json wireJson(const Wire& wire) {
    Json points = Json::array();
    for (const Point& p : wire.points()) points.push_back(pointJson(p));
    return {{"id", wire.id()},
            {"instance", wire.instanceNumber()},
            {"source", wire.source() != nullptr ? wire.source()->id() : 0},
            {"output", wire.sourceOutput()},
            {"target", wire.target() != nullptr ? wire.target()->id() : 0},
            {"input", wire.targetInput()},
            {"second_source", wire.secondSourceId()},
            {"second_target", wire.secondTargetId()},
            {"points", std::move(points)},
            {"source_anchor", pointJson(wire.sourceAnchor())},
            {"target_anchor", pointJson(wire.targetAnchor())}};
}

Json taskJson(const StrategyTask& task) {
    Block& object = task.taskObject();
    const Json all = settingsJson(object.properties());
    Json j;
    j["name"] = task.name();
    j["caption"] = object.caption();
    Json period = Json::object();
    for (const PromotedSetting& p : kPeriodSettings) {
        if (const auto it = all.find(std::string(p.key)); it != all.end())
            period[std::string(p.member)] = *it;
    }
    if (!period.empty()) j["period"] = std::move(period);
    if (const auto it = all.find(std::string(kStartModeSetting)); it != all.end()) j["start_mode"] = *it;
    j["placement"] = placementJson(task.placement());
    if (const auto* scan = dynamic_cast<const ScanTask*>(&object)) {
        j["pre_task_script"] = scan->preTaskScript().text();
        j["post_task_script"] = scan->postTaskScript().text();
    }
    Json record;
    addRecordFields(record, BlockCommonPart::of(object));
    addKindFields(record, object, kTaskOwnFields);
    j["task_object"] = std::move(record);

    Json blocks = Json::array();
    for (Node* node : task.graph().nodes()) {
        if (auto* block = dynamic_cast<Block*>(node)) {
            blocks.push_back(blockJson(*block));
        } else if (const auto* opaque = dynamic_cast<const OpaqueRecord*>(node)) {
            blocks.push_back(opaqueJson(*opaque));
        }
    }
    j["blocks"] = std::move(blocks);
    Json wires = Json::array();
    for (const Wire* wire : task.graph().wires()) wires.push_back(wireJson(*wire));
    j["wires"] = std::move(wires);
    return j;
}

}  // namespace

Json dumpStrategy(const StrategyDocument& document) {
    Json j;
    j["version"] = versionJson(document.version());
    j["protected"] = document.protection().isProtected();
    // Whoever dumps a protected strategy gave its password; without it the
    // JSON could not be built into the same file again.
    if (document.protection().isProtected()) j["password"] = document.protection().password();
    j["options"] = optionsJson(document.options());
    Json tasks = Json::array();
    for (const auto& task : document.tasks()) tasks.push_back(taskJson(*task));
    j["tasks"] = std::move(tasks);
    if (!document.opaqueSections().empty()) {
        Json sections = Json::array();
        for (const OpaqueSection& section : document.opaqueSections()) {
            sections.push_back({{"tag", std::string(toString(section.tag))},
                                {"tasks_before", section.tasksBefore},
                                {"data", toHex(section.bytes)}});
        }
        j["sections"] = std::move(sections);
    }
    Json tags = Json::array();
    for (const auto& tag : document.virtualTags()) tags.push_back(virtualTagJson(*tag));
    j["virtual_tags"] = std::move(tags);
    Json names = Json::array();
    for (const NetworkTaskName& n : document.networkTaskNames())
        names.push_back({{"name", n.name}, {"text", n.text}});
    j["network_tasks"] = std::move(names);
    j["network"] = networkJson(document.networkSettings());
    return j;
}

}  // namespace kestrune::ksv
