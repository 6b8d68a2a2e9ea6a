#pragma once
// One scan task of a strategy without its window: the task object (kind 298,
// "BTSK", made through the block factory), the task's objects (blocks and
// wires, in a TaskGraph), the placement of its window, and the task section
// of the strategy file. The task designer window shows and edits it; the
// headless runtime and the strategy tool use it as it is.
//
// The task is its blocks' NodeHost: their tags are published under the task
// object's name and their order numbers come from its graph. A window that
// shows the task attaches itself to get the repaints, the properties dialogs
// and the port lists; without one the repaints and dialogs do nothing and
// the port lists go through the user interface.
//
// Lifetime: the task object's name is the task's name in the tag database
// (with the task object as its owner) while the task exists; whoever renames
// the task object renames that task too. Destruction removes the
// wires, then the blocks (which withdraw their tags), then the task's name,
// and the task object last.
//
// Threads: the user-interface thread builds, edits, loads and saves.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/window_placement.h"
#include "platform/binary_stream.h"
#include "platform/status.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/block_placement.h"
#include "taskmodel/node_context.h"
#include "taskmodel/task_graph.h"
#include "taskmodel/node_host.h"

namespace kestrune {

class Canvas;
class TagDatabase;
class UserInterface;

// What a task's objects are made with; shared by every task of a document.
struct StrategyTaskServices {
    ObjectRegistry& registry;
    const BlockFactory& factory;
    TagDatabase* tags = nullptr;
    UserInterface* ui = nullptr;
    OutputRegistry* outputRegistry = nullptr;
};

class StrategyTask final : public NodeHost {
  public:
    static constexpr FourCC kSectionTag = {'S', 'W', 'P', 'L'};
    static constexpr FourCC kEndTag = {'E', 'T', 'S', 'K'};
    static constexpr FourCC kTaskObjectTag = {'B', 'T', 'S', 'K'};

    // Makes the task object and registers the task's name. Null, with the
    // reason in `why`, when the factory has no task object kind.
    static std::unique_ptr<StrategyTask> create(const StrategyTaskServices& services, Status* why = nullptr);
    ~StrategyTask() override;
    StrategyTask(const StrategyTask&) = delete;
    StrategyTask& operator=(const StrategyTask&) = delete;

    Block& taskObject() const { return *taskObject_; }
    // The task object's name ("TASK1"), also the task part of its blocks' tags.
    const std::string& name() const;
    // Renames the task object and its tag-database task (which carries every
    // tag of the task along). 34232 with the context when the name is empty,
    // longer than 9 characters or another task's; nothing changes then.
    Status rename(std::string_view newName);

    TaskGraph& graph() { return *graph_; }
    const TaskGraph& graph() const { return *graph_; }
    // The creation context for live objects of this task.
    NodeContext context() const;
    const BlockFactory& factory() const { return services_.factory; }

    WindowPlacement& placement() { return placement_; }
    const WindowPlacement& placement() const { return placement_; }

    // ---- editing ----
    // A block of `toolId` centred on `click`, appended to the object list.
    Placement placeBlock(int toolId, Point click, Canvas* dc = nullptr);
    // A block of `kind` with the box `box`, appended (the way in for the
    // strategy tool, which has no tools).
    Placement addBlock(std::int32_t kind, const Rect& box);
    // The task object, then every node in list order; the first refusal
    // stops the walk (the node has shown its reason). 0 when all can run.
    Code validate();

    // ---- file ----
    // The task's records: the task object, every block, every wire.
    Status saveRecords(BinaryWriter& out) const;
    // Reads records until "ETSK", "ZEOF" or a tag outside "0000".."ZZZZ"
    // (left in the stream for the caller) or the end of the data. "BTSK"
    // loads the task object and renames the task; "SEGL" makes a wire; any
    // other tag a block of that kind. A record of a kind nobody registered
    // is kept as an OpaqueRecord in its place (reported, written back by
    // saveRecords) and the loading goes on; so it does after a damaged record
    // whose length still frames it. The first problem is returned (32910
    // and where); a reader that ran out of data is failed and ends the load.
    Status loadRecords(BinaryReader& in, int fileVersion);
    // Record tags are read as a 32-bit number; anything outside
    // "0000".."ZZZZ" is not one (the end of the section, or damage).
    static bool isRecordTag(const FourCC& tag);

    // ---- NodeHost ----
    std::string ownerName() const override;
    NodeGraph* ownerGraph() const override { return graph_.get(); }
    bool showCaptions() const override { return showCaptions_; }
    bool showOrderNumbers() const override { return showOrderNumbers_; }
    bool captionsUseNodeFont() const override;
    void invalidate(const Rect& area, bool erase) override;
    bool configureNode(Node& node) override;
    bool choosePort(std::string_view caption, const std::vector<std::string>& captions,
                    ConnectRequest& request) override;

    void setShowCaptions(bool on) { showCaptions_ = on; }
    void setShowOrderNumbers(bool on) { showOrderNumbers_ = on; }
    // The window showing this task (nullptr: none). It must stay attached
    // no longer than it lives.
    void attachView(NodeHost* view) { view_ = view; }

  private:
    explicit StrategyTask(const StrategyTaskServices& services);
    Status loadTaskObject(BinaryReader& in, int fileVersion);

    StrategyTaskServices services_;
    std::unique_ptr<TaskGraph> graph_;
    std::unique_ptr<Block> taskObject_;
    WindowPlacement placement_;
    bool showCaptions_ = true;
    bool showOrderNumbers_ = false;
    NodeHost* view_ = nullptr;
};

}  // namespace kestrune
