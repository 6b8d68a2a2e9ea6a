// libFuzzer target for the strategy file reader: any bytes must load or be
// refused with a code, never crash, hang or read outside the data, and what
// was read is saved to memory, read again and saved again, which must give
// the same bytes. The scan engine's task object is registered, so that task
// records are read as the program reads them, and one plain block kind;
// every other block record is kept unread.
//
//   strategy_reader_fuzz -dict=strategy.dict -max_len=4096 corpus/

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

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

namespace {

// Reads `data` into a new document and writes what was read.
std::vector<std::uint8_t> readAndWrite(std::span<const std::uint8_t> data, Code& code) {
    TagDatabase tags;
    tags.AddTaskName(kVirtualTaskName);
    DocumentServices services{factory()};
    services.tags = &tags;
    StrategyDocument document(services);
    StrategyReadOptions options;
    options.password = "fuzz";
    code = readStrategy(document, data, options).status.code;
    switch (code) {
        case kOk:
        case kMsgInvalidFileFormat:
        case kMsgInvalidFileVersion:
        case kMsgFileLoadError:
        case kMsgPasswordUnmatched:
            break;
        default:
            std::abort();  // a code the reader does not promise
    }
    BinaryWriter out;
    if (!writeStrategy(document, out, 0).ok()) return {};
    return out.take();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Code code = kOk;
    const std::vector<std::uint8_t> saved = readAndWrite({data, size}, code);
    // What a save wrote reads back and saves to the same bytes: whatever was
    // kept unread, or read only in part, is written so that it stays.
    if (code != kOk && code != kMsgFileLoadError) return 0;
    if (saved.empty()) return 0;
    Code again = kOk;
    if (readAndWrite(saved, again) != saved) std::abort();
    return 0;
}
