#include "document/strategy_task.h"

#include <string>

#include "components/tagdb/tag_database.h"
#include "engine/scan_task.h"
#include "resources/message_ids.h"
#include "taskmodel/block.h"
#include "taskmodel/graph_object.h"
#include "taskmodel/node.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

constexpr FourCC kEndOfFile = {'Z', 'E', 'O', 'F'};

Status recordProblem(std::size_t at, const FourCC& tag, std::string_view what) {
    return {kRecordLoadError,
            std::string(toString(tag)) + " record at byte " + std::to_string(at) + ": " + std::string(what)};
}

}  // namespace

bool StrategyTask::isRecordTag(const FourCC& tag) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(tag[i]);
    return value >= 0x30303030u && value <= 0x5A5A5A5Au;
}

StrategyTask::StrategyTask(const StrategyTaskServices& services)
    : services_(services), graph_(std::make_unique<TaskGraph>(services.registry)) {}

std::unique_ptr<StrategyTask> StrategyTask::create(const StrategyTaskServices& services, Status* why) {
    std::unique_ptr<StrategyTask> task(new StrategyTask(services));
    BlockCreation made = services.factory.CreateForTag(kTaskObjectTag, task->context());
    if (made.block == nullptr) {
        if (why != nullptr) *why = std::move(made.status);
        return nullptr;
    }
    task->taskObject_ = std::move(made.block);
    // A default name another task already goes by (one renamed, or loaded
    // under that name) would make two tasks share their tags.
    if (services.tags != nullptr) {
        std::string name = task->taskObject_->name();
        for (unsigned n = task->taskObject_->instanceNumber();
             services.tags->GetTaskRecordPtr(name) != nullptr;) {
            name = "TASK" + std::to_string(++n);
        }
        task->taskObject_->setName(name);
        services.tags->AddTaskName(name, task->taskObject_.get());
    }
    return task;
}

StrategyTask::~StrategyTask() {
    graph_->DestroyObjects();
    if (services_.tags != nullptr && taskObject_ != nullptr) services_.tags->DeleteTaskName(name());
    // The task object goes before the graph: it gives its order number back to it.
    taskObject_.reset();
}

const std::string& StrategyTask::name() const {
    return taskObject_->name();
}

Status StrategyTask::rename(std::string_view newName) {
    const std::string where = std::string(newName);
    if (newName.empty() || newName.size() > Node::kMaxNameLength) return {kMsgInvalidTaskOrTagName, where};
    if (newName == name()) return {};
    if (services_.tags != nullptr && services_.tags->ChangeTaskName(name(), newName) != kOk) {
        return {kMsgInvalidTaskOrTagName, where};
    }
    taskObject_->setName(newName);
    services_.registry.setModified(true);
    return {};
}

NodeContext StrategyTask::context() const {
    NodeContext c{services_.registry};
    // The blocks' owner task; none while the task object itself is made
    // (and none for a task object of another kind, as in tests).
    c.task = dynamic_cast<ScanTask*>(taskObject_.get());
    c.outputRegistry = services_.outputRegistry;
    c.ui = services_.ui;
    c.live = true;
    c.host = const_cast<StrategyTask*>(this);
    c.tags = services_.tags;
    return c;
}

Placement StrategyTask::placeBlock(int toolId, Point click, Canvas* dc) {
    return PlaceBlock(services_.factory, toolId, context(), click, dc);
}

Placement StrategyTask::addBlock(std::int32_t kind, const Rect& box) {
    BlockCreation made = services_.factory.CreateForKind(kind, context());
    if (made.block == nullptr) return {nullptr, std::move(made.status)};
    made.block->setBox(box);
    Block* block = made.block.get();
    if (graph_->Append(std::move(made.block)) != kOk) {
        return {nullptr, {kMsgOutOfMemory, "adding block kind " + std::to_string(kind)}};
    }
    return {block, {}};
}

Code StrategyTask::validate() {
    if (const Code code = taskObject_->Validate(); code != kOk) return code;
    for (GraphObject* object : graph_->objects().items()) {
        Node* node = object->asNode();
        if (node == nullptr) continue;
        if (const Code code = node->Validate(); code != kOk) return code;
    }
    return kOk;
}

Status StrategyTask::saveRecords(BinaryWriter& out) const {
    if (Status s = taskObject_->Save(out); !s) return s;
    for (const Node* node : graph_->nodes()) {
        if (Status s = node->Save(out); !s) return s;
    }
    for (const Wire* wire : graph_->wires()) {
        if (Status s = wire->Save(out); !s) return s;
    }
    return {};
}

Status StrategyTask::loadTaskObject(BinaryReader& in, int fileVersion) {
    const std::string before = name();
    Status status = taskObject_->Load(in, fileVersion);
    const std::string loaded = taskObject_->name();
    if (loaded == before) return status;
    // The tag database learns the new name through rename, which keeps the
    // old one when the new one cannot be had.
    taskObject_->setName(before);
    Status renamed = rename(loaded);
    if (!renamed && status) status = {kRecordLoadError, "task name \"" + loaded + "\" is taken or invalid"};
    return status;
}

Status StrategyTask::loadRecords(BinaryReader& in, int fileVersion) {
    const NodeContext ctx = context();
    Status first;
    while (in.remaining() >= 4) {
        const std::size_t at = in.position();
        const FourCC tag = in.tag();
        if (tag == kEndTag || tag == kEndOfFile || !isRecordTag(tag)) {
            in.seek(at);
            break;
        }
        Status status;
        if (tag == kTaskObjectTag) {
            status = loadTaskObject(in, fileVersion);
        } else {
            LoadedObject loaded = LoadObjectRecord(services_.factory, in, tag, ctx, fileVersion);
            status = std::move(loaded.status);
            // What was read of a damaged object stays with the task.
            if (loaded.object != nullptr && graph_->Append(std::move(loaded.object)) != kOk && status) {
                status = recordProblem(at, tag, "out of memory");
            }
        }
        if (!status && first)
            first = status.code == kRecordLoadError ? status : recordProblem(at, tag, status.context);
        if (in.failed()) return first ? recordProblem(at, tag, "the data ends inside it") : first;
    }
    return first;
}

std::string StrategyTask::ownerName() const {
    return taskObject_ != nullptr ? taskObject_->name() : std::string();
}

bool StrategyTask::captionsUseNodeFont() const {
    return view_ == nullptr || view_->captionsUseNodeFont();
}

void StrategyTask::invalidate(const Rect& area, bool erase) {
    if (view_ != nullptr) view_->invalidate(area, erase);
}

bool StrategyTask::configureNode(Node& node) {
    return view_ != nullptr && view_->configureNode(node);
}

bool StrategyTask::choosePort(std::string_view caption, const std::vector<std::string>& captions,
                              ConnectRequest& request) {
    return view_ != nullptr && view_->choosePort(caption, captions, request);
}

}  // namespace kestrune
