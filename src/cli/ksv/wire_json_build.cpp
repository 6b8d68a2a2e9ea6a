#include "cli/ksv/wire_json_build.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cli/ksv/task_json_build.h"
#include "document/strategy_task.h"
#include "document/task_drawing.h"
#include "taskmodel/connect_request.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/wire.h"

namespace kestrune::ksv {
namespace {

// The task's objects a wire may end at: its task object and its nodes (the
// blocks, and the records kept unread, which the file's wires may name).
std::vector<Node*> endsOf(StrategyTask& task) {
    std::vector<Node*> ends{&task.taskObject()};
    for (Node* node : task.graph().nodes()) ends.push_back(node);
    return ends;
}

// An end by id (a number) or by name (a string), in this task.
Node* findEnd(JsonObject& o, std::string_view key, StrategyTask& task) {
    const Json* v = o.find(key);
    if (v == nullptr) {
        o.fail(key, "a wire needs its \"source\" and \"target\"");
        return nullptr;
    }
    const std::vector<Node*> ends = endsOf(task);
    std::vector<Node*> found;
    if (v->is_string()) {
        const auto& name = v->get_ref<const std::string&>();
        std::copy_if(ends.begin(), ends.end(), std::back_inserter(found),
                     [&](Node* b) { return !b->name().empty() && b->name() == name; });
        if (found.size() > 1) o.fail(key, "more than one block of this task is named \"" + name + "\"");
    } else {
        std::uint16_t id = 0;
        o.integer(key, id, 1, 0xFFFF);
        std::copy_if(ends.begin(), ends.end(), std::back_inserter(found),
                     [&](Node* b) { return b->id() == id; });
    }
    if (o && found.empty()) o.fail(key, "no block of this task has it");
    return o && found.size() == 1 ? found.front() : nullptr;
}

// Out of the source's right edge, into the target's left edge, horizontal
// and vertical legs only.
std::vector<Point> plainRoute(const Rect& from, const Rect& to) {
    const Point start{from.right - 1, (from.top + from.bottom) / 2};
    const Point end{to.left, (to.top + to.bottom) / 2};
    if (start.y == end.y) return {start, end};
    const int middle = (start.x + end.x) / 2;
    return {start, {middle, start.y}, {middle, end.y}, end};
}

Point offsetFrom(const Point& p, const Rect& box) {
    return {p.x - box.left, p.y - box.top};
}

Status readPoints(JsonObject& o, std::vector<Point>& points) {
    const Json* list = o.array("points");
    if (list == nullptr) return o.problem();
    if (list->size() > Wire::kMaxPoints) {
        return invalidAt(o.pathOf("points"),
                         "a wire has at most " + std::to_string(Wire::kMaxPoints) + " points");
    }
    points.resize(list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
        if (Status s = readPoint((*list)[i], elementPath(o.pathOf("points"), i), points[i]); !s) return s;
    }
    return {};
}

}  // namespace

Status buildWire(const Json& json, const std::string& path, StrategyTask& task, IdPlan& ids,
                 const BuiltBlocks& built) {
    JsonObject o(json, path);
    o.allowOnly({"id", "instance", "source", "output", "target", "input", "second_source", "second_target",
                 "points", "source_anchor", "target_anchor"});
    Node* source = findEnd(o, "source", task);
    Node* target = findEnd(o, "target", task);
    std::uint16_t output = 0;
    std::uint16_t input = 0;
    o.integer("output", output);
    o.integer("input", input);
    if (!o) return o.problem();
    if (source == target) return invalidAt(o.pathOf("target"), "a wire joins two different blocks");
    if (output >= source->outputCount()) {
        return invalidAt(o.pathOf("output"),
                         source->name() + " has " + std::to_string(source->outputCount()) + " outputs");
    }
    if (input >= target->inputCount()) {
        return invalidAt(o.pathOf("input"),
                         target->name() + " has " + std::to_string(target->inputCount()) + " inputs");
    }
    // Scanning runs in order, so a value only flows forward.
    if (source->order() >= target->order()) {
        return invalidAt(path, "a wire runs from a lower to a higher order number (" + source->name() +
                                   " is " + std::to_string(source->order()) + ", " + target->name() + " is " +
                                   std::to_string(target->order()) + ")");
    }

    ConnectRequest request;
    request.source = source;
    request.sourceId = source->id();
    request.sourceOutput = output;
    request.dataType = source->output(output)->dataType;
    request.target = target;
    request.targetId = target->id();
    request.targetInput = input;
    auto wire = std::make_unique<Wire>(task.graph().registry(), request);

    std::optional<std::uint16_t> id;
    if (o.has("id")) {
        std::uint16_t given = 0;
        o.integer("id", given, 1, 0xFFFF);
        id = given;
    }
    std::uint16_t instance = 0;
    std::uint32_t secondSource = 0;
    std::uint32_t secondTarget = 0;
    o.integer("instance", instance);
    o.integer("second_source", secondSource);
    o.integer("second_target", secondTarget);
    // A record kept unread has no box to route from.
    const Rect sourceBox = BlockBoxOf(source).value_or(Rect{});
    const Rect targetBox = BlockBoxOf(target).value_or(Rect{});
    std::vector<Point> points = plainRoute(sourceBox, targetBox);
    if (Status s = readPoints(o, points); !s) return s;
    Point sourceAnchor = points.empty() ? Point{} : offsetFrom(points.front(), sourceBox);
    Point targetAnchor = points.empty() ? Point{} : offsetFrom(points.back(), targetBox);
    o.point("source_anchor", sourceAnchor);
    o.point("target_anchor", targetAnchor);
    if (!o) return o.problem();
    const std::uint16_t wireId = ids.take(id);
    if (wireId == 0) return invalidAt(o.pathOf("id"), "no object id is left");

    wire->setId(wireId);
    wire->setInstanceNumber(instance);
    wire->setSecondEnds(secondSource, secondTarget);
    wire->setPoints(points);
    wire->setAnchors(sourceAnchor, targetAnchor);
    wire->attach();
    Wire& made = *wire;
    if (task.graph().Append(std::move(wire)) != kOk) return invalidAt(path, "out of memory");
    // The ends hear of the wire as they do when it is drawn: a calculation
    // block takes the operand it feeds as wired rather than as a constant.
    source->OutputWireAdded(made);
    target->InputWireAdded(made);

    const auto it =
        std::find_if(built.begin(), built.end(), [&](const BuiltBlock& b) { return b.block == target; });
    if (it != built.end() && !it->inputsGiven) {
        InputPort* port = target->input(input);
        port->sourceId = source->id();
        port->sourceOutput = output;
    }
    return {};
}

}  // namespace kestrune::ksv
