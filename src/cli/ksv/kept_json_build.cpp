#include "cli/ksv/kept_json_build.h"

#include <limits>
#include <optional>

#include "cli/ksv/block_record.h"
#include "cli/ksv/task_json_build.h"
#include "document/opaque_section.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/opaque_record.h"
#include "taskmodel/wire.h"

namespace kestrune::ksv {
namespace {

std::optional<FourCC> readTag(JsonObject& o) {
    std::string tag;
    o.text("tag", tag, 4, false);
    if (!o) return std::nullopt;
    if (tag.size() != 4) {
        o.fail("tag", "a tag has four characters");
        return std::nullopt;
    }
    return FourCC{tag[0], tag[1], tag[2], tag[3]};
}

// The task loader ends the task at these tags, or at one that is no record tag.
bool mayTagAKeptRecord(const FourCC& tag) {
    return StrategyTask::isRecordTag(tag) && tag != Wire::kFileTag && tag != StrategyTask::kTaskObjectTag &&
           tag != StrategyTask::kEndTag && tag != kStrategyEnd;
}

}  // namespace

Status readHexMember(JsonObject& o, std::string_view key, std::size_t maxBytes,
                     std::vector<std::uint8_t>& out) {
    std::string hex;
    o.text(key, hex, 2 * maxBytes);
    if (!o) return o.problem();
    std::size_t badAt = 0;
    if (!fromHex(hex, out, badAt)) {
        return invalidAt(o.pathOf(key),
                         "not hex digits in pairs (at character " + std::to_string(badAt) + ")");
    }
    return {};
}

Status buildKeptRecord(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids) {
    JsonObject o(json, path);
    o.allowOnly({"tag", "kind", "id", "order", "record"});
    const std::optional<FourCC> tag = readTag(o);
    std::optional<std::uint16_t> id;
    if (o.has("id")) {
        std::uint16_t given = 0;
        o.integer("id", given, 1, 0xFFFF);
        id = given;
    }
    if (!tag) return o.problem();
    if (!mayTagAKeptRecord(*tag)) return invalidAt(o.pathOf("tag"), "not a tag a block record can have");
    std::vector<std::uint8_t> body;
    if (Status s = readHexMember(o, "record", 0xFFFF, body); !s) return s;

    BinaryWriter framed;
    framed.u16(static_cast<std::uint16_t>(body.size()));
    framed.bytes(body);
    BinaryReader in(framed.data());
    LoadedObject loaded =
        LoadObjectRecord(task.factory(), in, *tag, task.context(), FileVersion::current().major);
    if (loaded.object == nullptr) return invalidAt(o.pathOf("record"), loaded.status.context);
    // A record kept unread is answered with the load error that tells the user so.
    const auto* kept = dynamic_cast<const OpaqueRecord*>(loaded.object.get());
    if (kept == nullptr && !loaded.status) return invalidAt(o.pathOf("record"), loaded.status.context);
    // A record too short for a node part has no id of its own.
    if (kept == nullptr || kept->nodePartRead()) {
        if (id && loaded.object->id() != *id) {
            return invalidAt(o.pathOf("id"),
                             "the record holds the id " + std::to_string(loaded.object->id()));
        }
        ids.take(loaded.object->id());
    }
    if (task.graph().Append(std::move(loaded.object)) != kOk) return invalidAt(path, "out of memory");
    return {};
}

Status buildKeptSections(const Json& list, StrategyDocument& document) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        JsonObject o(list[i], elementPath("sections", i));
        o.allowOnly({"tag", "tasks_before", "data"});
        const std::optional<FourCC> tag = readTag(o);
        std::size_t tasksBefore = document.taskCount();
        o.integer("tasks_before", tasksBefore, 0, 0xFFFF);
        if (!tag) return o.problem();
        if (!isOpaqueSectionTag(*tag)) return invalidAt(o.pathOf("tag"), "expected \"PWPL\" or \"BSRP\"");
        std::vector<std::uint8_t> data;
        if (Status s = readHexMember(o, "data", std::numeric_limits<std::uint32_t>::max(), data); !s)
            return s;
        BinaryReader in(data);
        std::optional<OpaqueSection> section;
        readOpaqueSection(in, *tag, tasksBefore, section);
        if (!section || !in.atEnd())
            return invalidAt(o.pathOf("data"), "the bytes are not one whole section");
        document.opaqueSections().push_back(std::move(*section));
    }
    return {};
}

}  // namespace kestrune::ksv
