#include "cli/ksv/task_json_build.h"

#include <vector>

#include "cli/ksv/block_record.h"
#include "cli/ksv/kept_json_build.h"
#include "cli/ksv/settings_json.h"
#include "cli/ksv/strategy_json_keys.h"
#include "cli/ksv/wire_json_build.h"
#include "document/strategy_task.h"
#include "engine/scan_task.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_placement.h"
#include "taskmodel/object_registry.h"

namespace kestrune::ksv {
namespace {

constexpr std::uint16_t kMaxId = 0xFFFF;

// The loaders' own words, placed.
Status placed(std::string_view path, const Status& s) {
    return {s.code, std::string(path) + ": " + s.context};
}

Status readPlacement(const Json& json, const std::string& path, WindowPlacement& p) {
    JsonObject o(json, path);
    o.allowOnly({"flags", "show", "min_position", "max_position", "normal"});
    o.integer("flags", p.flags);
    o.integer("show", p.showCommand);
    o.point("min_position", p.minPosition);
    o.point("max_position", p.maxPosition);
    o.rect("normal", p.normal);
    return o.problem();
}

// Entry i of the list overrides port i (the kind's default when the block has
// one), so a list may give only the first ports; entries past the end add ports.
template <class Port, class ReadFields>
Status readPorts(const Json& list, const std::string& path, std::vector<Port>& ports, ReadFields readFields) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonObject o(list[i], elementPath(path, i));
        Port port = i < ports.size() ? ports[i] : Port{};
        readFields(o, port);
        if (!o) return o.problem();
        if (i < ports.size())
            ports[i] = port;
        else
            ports.push_back(port);
    }
    return {};
}

Status readInputs(const Json& list, const std::string& path, std::vector<InputPort>& ports) {
    return readPorts(list, path, ports, [](JsonObject& o, InputPort& port) {
        o.allowOnly({"source", "output", "mask"});
        o.integer("source", port.sourceId, 0, kMaxId);
        o.integer("output", port.sourceOutput);
        o.integer("mask", port.acceptedMask);
    });
}

Status readOutputs(const Json& list, const std::string& path, std::vector<OutputPort>& ports) {
    return readPorts(list, path, ports, [](JsonObject& o, OutputPort& port) {
        o.allowOnly({"type"});
        o.integer("type", port.dataType);
    });
}

Status readConsumers(const Json& list, const std::string& path, std::vector<std::uint32_t>& ids) {
    ids.clear();
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::int64_t id = 0;
        if (Status s = readInteger(list[i], elementPath(path, i), 1, kMaxId, id); !s) return s;
        ids.push_back(static_cast<std::uint32_t>(id));
    }
    return {};
}

// The common record fields every object of a task has besides its name and
// caption. `common` holds the new object's values and takes what is given.
Status readRecordFields(JsonObject& o, BlockCommonPart& common, IdPlan& ids) {
    std::optional<std::uint16_t> id;
    if (o.has("id")) {
        std::uint16_t given = 0;
        o.integer("id", given, 1, kMaxId);
        id = given;
    }
    o.integer("instance", common.instance);
    o.integer("order", common.order);
    o.rect("box", common.box);
    const Json* inputs = o.array("inputs");
    const Json* outputs = o.array("outputs");
    const Json* consumers = o.array("consumers");
    if (!o) return o.problem();
    common.id = ids.take(id);
    if (common.id == 0) return invalidAt(o.pathOf("id"), "no object id is left");
    if (inputs != nullptr) {
        if (Status s = readInputs(*inputs, o.pathOf("inputs"), common.inputs); !s) return s;
    }
    if (outputs != nullptr) {
        if (Status s = readOutputs(*outputs, o.pathOf("outputs"), common.outputs); !s) return s;
    }
    if (consumers != nullptr) return readConsumers(*consumers, o.pathOf("consumers"), common.consumers);
    return {};
}

// The given payload, or the one the block has now.
Status readPayload(JsonObject& o, const Block& block, std::vector<std::uint8_t>& payload) {
    if (!o.has("payload")) return kindPayload(block, payload);
    return readHexMember(o, "payload", 65535, payload);
}

// Loads the record and then the settings that differ from it.
Status loadObject(Block& block, JsonObject& o, const BlockCommonPart& common,
                  std::vector<SettingChange> changes, std::span<const std::string_view> ownFields) {
    std::vector<std::uint8_t> payload;
    if (Status s = readPayload(o, block, payload); !s) return s;
    if (Status s = loadBlockRecord(block, common, payload); !s) return placed(o.path(), s);
    if (const Json* settings = o.find("settings")) {
        Status s = settingChanges(*settings, o.pathOf("settings"), ownFields,
                                  "given as a field of its own, not as a setting", changes);
        if (!s) return s;
    }
    PropertySet set = block.properties();
    return applySettings(set, changes, o.pathOf("settings"));
}

const BlockKindInfo* blockKind(JsonObject& o) {
    std::int16_t code = 0;
    std::string tag;
    o.integer("kind", code);
    o.text("tag", tag, 4);
    if (!o) return nullptr;
    if (!o.has("kind") && !o.has("tag")) {
        o.fail("kind", "a block needs its \"kind\" or its \"tag\"");
        return nullptr;
    }
    if (o.has("tag") && tag.size() != 4) {
        o.fail("tag", "a tag has four characters");
        return nullptr;
    }
    const FourCC fourCC = tag.size() == 4 ? FourCC{tag[0], tag[1], tag[2], tag[3]} : FourCC{};
    const BlockKindInfo* info = o.has("kind") ? FindKindByCode(code) : FindKindByTag(fourCC);
    const char* key = o.has("kind") ? "kind" : "tag";
    if (info == nullptr || !info->isBlock() || info->kind == kTaskKind) {
        o.fail(key, "no block kind has it");
        return nullptr;
    }
    if (o.has("kind") && o.has("tag") && info->fileTag != fourCC) {
        o.fail("tag",
               "kind " + std::to_string(code) + " has the tag " + std::string(toString(info->fileTag)));
        return nullptr;
    }
    return info;
}

Status buildBlock(const Json& json, const std::string& path, std::size_t index, StrategyTask& task,
                  IdPlan& ids, BuiltBlocks& built) {
    if (json.is_object() && json.contains("record")) return buildKeptRecord(json, path, task, ids);
    JsonObject o(json, path);
    o.allowOnly({"kind", "tag", "kind_name", "id", "instance", "name", "caption", "order", "box", "inputs",
                 "outputs", "consumers", "settings", "payload"});
    const BlockKindInfo* info = blockKind(o);
    if (info == nullptr) return o.problem();
    if (!task.factory().IsRegistered(info->kind)) {
        return invalidAt(o.pathOf("kind"),
                         std::string(info->caption) + " blocks are not available in this program");
    }
    // Left to themselves, blocks line up in rows of eight.
    const int column = static_cast<int>(index % 8);
    const int row = static_cast<int>(index / 8);
    Placement made = task.addBlock(info->kind, PlacementBox({60 + 100 * column, 60 + 100 * row}));
    if (made.block == nullptr) return placed(path, made.status);
    Block& block = *made.block;

    BlockCommonPart common = BlockCommonPart::of(block);
    o.text("name", common.name, Node::kMaxNameLength, false);
    o.text("caption", common.caption, Block::kMaxCaptionLength);
    if (Status s = readRecordFields(o, common, ids); !s) return s;
    if (Status s = loadObject(block, o, common, {}, kBlockOwnFields); !s) return s;
    built.push_back({&block, o.has("inputs")});
    return {};
}

// The period's members and the start mode, as settings of the task object.
Status promotedChanges(JsonObject& o, std::vector<SettingChange>& changes) {
    if (const Json* period = o.object("period")) {
        JsonObject p(*period, o.pathOf("period"));
        p.allowOnly({"hours", "minutes", "seconds", "milliseconds"});
        if (!p) return p.problem();
        for (const PromotedSetting& s : kPeriodSettings) {
            if (const Json* v = p.find(s.member))
                changes.push_back({std::string(s.key), v, p.pathOf(s.member)});
        }
    }
    if (const Json* mode = o.find("start_mode")) {
        changes.push_back({std::string(kStartModeSetting), mode, o.pathOf("start_mode")});
    }
    return o.problem();
}

Status buildTaskObject(JsonObject& o, StrategyTask& task, IdPlan& ids) {
    Block& object = task.taskObject();
    BlockCommonPart common = BlockCommonPart::of(object);
    std::string name = common.name;
    o.text("name", name, Node::kMaxNameLength, false);
    o.text("caption", common.caption, Block::kMaxCaptionLength);
    std::vector<SettingChange> changes;
    if (Status s = promotedChanges(o, changes); !s) return s;

    static const Json kEmpty = Json::object();
    const Json* json = o.object("task_object");
    if (!o) return o.problem();
    JsonObject record(json != nullptr ? *json : kEmpty, o.pathOf("task_object"));
    record.allowOnly(
        {"id", "instance", "order", "box", "inputs", "outputs", "consumers", "settings", "payload"});
    if (Status s = readRecordFields(record, common, ids); !s) return s;
    if (Status s = loadObject(object, record, common, std::move(changes), kTaskOwnFields); !s) return s;
    if (Status s = task.rename(name); !s) return placed(o.pathOf("name"), s);

    auto* scan = dynamic_cast<ScanTask*>(&object);
    for (const auto& [key, script] :
         {std::pair{"pre_task_script", scan ? &scan->preTaskScript() : nullptr},
          std::pair{"post_task_script", scan ? &scan->postTaskScript() : nullptr}}) {
        if (!o.has(key)) continue;
        if (script == nullptr) return invalidAt(o.pathOf(key), "this task object has no scripts");
        std::string text = script->text();
        o.text(key, text, 65535);
        script->setText(std::move(text));
    }
    return o.problem();
}

}  // namespace

Status IdPlan::note(const Json& object, std::string_view path) {
    if (!object.is_object() || !object.contains("id")) return {};
    const std::string at = memberPath(path, "id");
    std::int64_t id = 0;
    if (Status s = readInteger(object["id"], at, 1, kMaxId, id); !s) return s;
    if (!given_.insert(static_cast<std::uint16_t>(id)).second)
        return invalidAt(at, "another object has the id " + std::to_string(id));
    return {};
}

Status IdPlan::collect(const Json& tasks, std::string_view path) {
    if (!tasks.is_array()) return {};
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        const Json& task = tasks[t];
        if (!task.is_object()) continue;
        const std::string at = elementPath(path, t);
        if (task.contains("task_object")) {
            if (Status s = note(task["task_object"], memberPath(at, "task_object")); !s) return s;
        }
        for (const char* list : {"blocks", "wires"}) {
            if (!task.contains(list) || !task[list].is_array()) continue;
            const Json& items = task[list];
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (Status s = note(items[i], elementPath(memberPath(at, list), i)); !s) return s;
            }
        }
    }
    return {};
}

std::uint16_t IdPlan::take(std::optional<std::uint16_t> given) {
    if (given) {
        taken_.insert(*given);
        return *given;
    }
    while (next_ <= kMaxId && (given_.contains(static_cast<std::uint16_t>(next_)) ||
                               taken_.contains(static_cast<std::uint16_t>(next_)))) {
        ++next_;
    }
    if (next_ > kMaxId) return 0;
    const auto id = static_cast<std::uint16_t>(next_++);
    taken_.insert(id);
    return id;
}

Status buildTask(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids) {
    JsonObject o(json, path);
    o.allowOnly({"name", "caption", "period", "start_mode", "placement", "pre_task_script",
                 "post_task_script", "task_object", "blocks", "wires"});
    if (const Json* placement = o.object("placement")) {
        if (Status s = readPlacement(*placement, o.pathOf("placement"), task.placement()); !s) return s;
    }
    const Json* blocks = o.array("blocks");
    const Json* wires = o.array("wires");
    if (!o) return o.problem();
    if (Status s = buildTaskObject(o, task, ids); !s) return s;
    BuiltBlocks built;
    for (std::size_t i = 0; blocks != nullptr && i < blocks->size(); ++i) {
        if (Status s = buildBlock((*blocks)[i], elementPath(o.pathOf("blocks"), i), i, task, ids, built); !s)
            return s;
    }
    for (std::size_t i = 0; wires != nullptr && i < wires->size(); ++i) {
        if (Status s = buildWire((*wires)[i], elementPath(o.pathOf("wires"), i), task, ids, built); !s)
            return s;
    }
    return {};
}

}  // namespace kestrune::ksv
