#include "taskmodel/opaque_record.h"

#include <string>

#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/object_record.h"
#include "taskmodel/task_graph.h"
#include "taskmodel/node_host.h"

namespace kestrune {
namespace {

// The kind word follows the 32-bit id at the start of every node part.
constexpr std::size_t kKindOffset = 4;

std::int16_t kindIn(std::span<const std::uint8_t> body) {
    if (body.size() < kKindOffset + 2) return 0;
    return static_cast<std::int16_t>(body[kKindOffset] | (body[kKindOffset + 1] << 8));
}

// The task graph that hands out order numbers, when the record sits in one.
TaskGraph* orderingGraphOf(const NodeContext& context) {
    if (!context.live || context.host == nullptr) return nullptr;
    NodeGraph* graph = context.host->ownerGraph();
    return graph != nullptr ? graph->asTaskGraph() : nullptr;
}

}  // namespace

OpaqueRecord::OpaqueRecord(const NodeContext& context, std::int16_t storedKind, const FourCC& tag,
                           std::vector<std::uint8_t> body)
    : Node(context, isBlockKind(storedKind) && storedKind != kTaskKind ? storedKind : kUnknownKind, tag),
      body_(std::move(body)),
      storedKind_(storedKind) {
    // Counted like every live block, so that a block placed later does not
    // take the number this one holds.
    if (TaskGraph* graph = orderingGraphOf(context)) setOrder(graph->takeOrderNumber());
}

OpaqueRecord::~OpaqueRecord() {
    if (TaskGraph* graph = orderingGraphOf(context())) graph->releaseOrderNumber();
}

std::unique_ptr<OpaqueRecord> OpaqueRecord::Read(BinaryReader& in, const FourCC& tag,
                                                 const NodeContext& context, int fileVersion,
                                                 Status& framing) {
    RecordReader record(in, tag);
    std::vector<std::uint8_t> body;
    if (!in.failed() && in.remaining() > 0) {
        body.resize(in.remaining());
        in.bytes(body.data(), body.size());
    }
    framing = record.finish({});
    if (!framing) return nullptr;
    const std::int16_t kind = kindIn(body);
    std::unique_ptr<OpaqueRecord> kept(new OpaqueRecord(context, kind, tag, std::move(body)));
    kept->readNodePart(fileVersion);
    return kept;
}

void OpaqueRecord::readNodePart(int fileVersion) {
    BinaryReader in(body_);
    const Status status = Node::Load(in, fileVersion);
    nodePartRead_ = status.ok() && !in.failed();
    nodePartEnd_ = nodePartRead_ ? in.position() : 0;
}

void OpaqueRecord::writeBody(BinaryWriter& out) const {
    if (!nodePartRead_) {
        out.bytes(body_);
        return;
    }
    const std::size_t kindAt = out.size() + kKindOffset;
    Node::Save(out);
    out.patchU16(kindAt, static_cast<std::uint16_t>(storedKind_));
    out.bytes(std::span<const std::uint8_t>(body_).subspan(nodePartEnd_));
}

std::vector<std::uint8_t> OpaqueRecord::body() const {
    BinaryWriter out;
    writeBody(out);
    return out.take();
}

Status OpaqueRecord::Save(BinaryWriter& out) const {
    RecordWriter record(out, fileTag());
    writeBody(out);
    return record.finish();
}

int OpaqueRecord::HitTest(int, int) {
    setHitCode(0);
    return 0;
}

Code OpaqueRecord::Validate() {
    if (context().ui != nullptr) {
        std::string text;
        if (context().host != nullptr) text = context().host->ownerName() + ": ";
        text += "a block of kind " + std::to_string(storedKind_) + " (" + std::string(toString(fileTag())) +
                ") cannot run in this version. It is kept in the strategy as it was read.";
        showMessageText(*context().ui, text);
    }
    return kMsgGenericError;
}

Code OpaqueRecord::Start() {
    return kMsgGenericError;
}

Code OpaqueRecord::ConnectFrom(ConnectRequest&) {
    return kConnectNoOutputs;
}

Code OpaqueRecord::ConnectTo(ConnectRequest&) {
    return kConnectNoInputs;
}

}  // namespace kestrune
