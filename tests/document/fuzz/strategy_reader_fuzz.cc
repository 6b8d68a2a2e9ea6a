// libFuzzer target for the strategy file reader: any bytes must load or be
// refused with a code, never crash, hang or read outside the data. The scan
// engine's task object is registered, so that task records are read as the
// program reads them, and one plain block kind; every other block record
// takes the skipping path.
//
//   strategy_reader_fuzz -dict=strategy.dict -max_len=4096 corpus/

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "components/tagdb/tag_database.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"
#include "resources/message_ids.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace {

using namespace kestrune;

// The engine's services for the task objects; no task ever runs here.
struct Engine {
    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler{ticks, clock, queue};
    TaskServices services{scheduler, queue};
};

const BlockFactory& factory() {
    static Engine engine;
    static const BlockFactory f = [] {
        BlockFactory made;
        if (!registerEngineKinds(made, engine.services).ok()) std::abort();
        made.Register(kPidKind, [](const NodeContext& c) { return std::make_unique<Block>(c, kPidKind); });
        return made;
    }();
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TagDatabase tags;
    tags.AddTaskName(kVirtualTaskName);
    DocumentServices services{factory()};
    services.tags = &tags;
    StrategyDocument document(services);
    StrategyReadOptions options;
    options.password = "fuzz";
    const StrategyReadResult result =
        readStrategy(document, std::span<const std::uint8_t>(data, size), options);
    switch (result.status.code) {
        case kOk:
        case kMsgInvalidFileFormat:
        case kMsgInvalidFileVersion:
        case kMsgFileLoadError:
        case kMsgPasswordUnmatched:
            break;
        default:
            std::abort();  // a code the reader does not promise
    }
    // What was read must write again.
    BinaryWriter out;
    writeStrategy(document, out, 0);
    return 0;
}
