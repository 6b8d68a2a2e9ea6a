#include "taskmodel/block.h"

#include <algorithm>
#include <string>

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"
#include "taskmodel/value_conversion.h"

namespace kestrune {
namespace {

Status cutShort(const BinaryReader& in, std::string_view what) {
    return {kRecordLoadError, std::string(what) + " cut short at byte " + std::to_string(in.position())};
}

// A stored text: a 32-bit length and that many characters. Only `keep`
// characters are kept (and nothing after a zero byte), but the whole text is
// consumed so that the fields after it line up.
Status readStoredText(BinaryReader& in, std::size_t keep, std::string_view what, std::string& out) {
    const std::size_t at = in.position();
    const std::int32_t length = in.i32();
    if (in.failed()) return cutShort(in, std::string(what) + " length");
    if (length < 0 || static_cast<std::size_t>(length) > in.remaining()) {
        return {kRecordLoadError, std::string(what) + " length " + std::to_string(length) + " at byte " +
                                      std::to_string(at) + " runs past the record"};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    in.bytes(text.data(), text.size());
    text.resize(std::min({text.find('\0'), keep, text.size()}));
    out = std::move(text);
    return {};
}

void writeStoredText(BinaryWriter& out, std::string_view text) {
    out.i32(static_cast<std::int32_t>(text.size()));
    out.bytes(text.data(), text.size());
}

}  // namespace

Block::Block(const NodeContext& context, std::int16_t kind) : Node(context, kind), tag_(context.tags) {
    setInstanceNumber(registry().NextInstanceNumber(kind));
    if (TaskGraph* graph = orderingGraph()) setOrder(graph->takeOrderNumber());
    setFlag(kFlagBlock);
    if (const BlockKindInfo* info = FindKindByCode(kind)) {
        setFileTag(info->fileTag);
        iconId_ = info->toolId;
        setName(DefaultName(*info, instanceNumber()));
        setCaption(DefaultCaption(*info, instanceNumber()));
        if (info->publishesFixedTag()) setTagShape(*info->tagType, info->elementCount);
    }
}

Block::~Block() {
    tag_.withdraw(taskName());
    if (TaskGraph* graph = orderingGraph()) graph->releaseOrderNumber();
}

TaskGraph* Block::orderingGraph() const {
    if (!isLive() || host() == nullptr) return nullptr;
    NodeGraph* graph = host()->ownerGraph();
    return graph != nullptr ? graph->asTaskGraph() : nullptr;
}

std::string Block::taskName() const {
    return host() != nullptr ? host()->ownerName() : std::string();
}

bool Block::mayPublishTag() const {
    return isLive() && instanceNumber() < kCopyInstanceBase && host() != nullptr && context().tags != nullptr;
}

void Block::setBox(const Rect& box) {
    box_ = box;
    captionRect_ = CaptionRectFor(box);
}

void Block::setCaption(std::string_view caption) {
    caption_ = std::string(caption.substr(0, kMaxCaptionLength));
}

Status Block::rename(std::string_view newName) {
    const std::string where = taskName() + ", " + std::string(newName);
    if (newName.empty() || newName.size() > kMaxNameLength) return {kMsgInvalidTaskOrTagName, where};
    if (newName == name()) return {};
    if (tag_.rename(taskName(), newName) != kOk) return {kMsgInvalidTaskOrTagName, where};
    setName(newName);
    // A block whose first name was taken by another tag gets its own now.
    publishTag();
    return {};
}

const PropertyTable<Block>& Block::propertyTable() {
    static const PropertyTable<Block> table = [] {
        PropertyTable<Block> t;
        addCommonProperties(t);
        return t;
    }();
    return table;
}

void Block::CopyTo(GraphObject& other) const {
    auto* target = dynamic_cast<Block*>(&other);
    if (target == nullptr || target->kind() != kind()) return;
    if (caption_ != name()) target->setCaption(caption_);
}

void Block::Configure() {
    if (host() == nullptr) return;
    host()->configureNode(*this);
    host()->invalidate(box_.inflated(3), true);
}

// ---- tag ----

Code Block::publishTag() {
    if (!mayPublishTag()) return kOk;
    return tag_.publish(taskName(), name());
}

Code Block::setTagShape(std::uint16_t type, std::uint16_t count) {
    const auto& old = tag_.shape();
    if (tag_.published() && old && (old->type != type || old->count != count)) tag_.withdraw(taskName());
    tag_.setShape({type, count});
    return publishTag();
}

Code Block::publishValue() {
    const OutputValue* value = TagValue();
    return value != nullptr ? tag_.write(*value) : kOk;
}

Code Block::publishValue(const OutputValue& value) {
    return tag_.write(value);
}

// ---- run ----

Code Block::Start() {
    if (isRunning()) return kOk;
    resolveInputs();
    tag_.attach(taskName());
    if (const Code code = OnStart(); code != kOk) {
        sources_.clear();
        tag_.detach();
        return code;
    }
    // The first value, so that readers of the tag see the block's initial
    // state before its first scan; a refused write (a locked tag) does not
    // keep the block from running.
    publishValue();
    runGate().open();
    return kOk;
}

Code Block::Stop() {
    if (!isRunning()) return kOk;
    // Drained before the kind closes anything, so that no other thread is
    // still inside the block when its devices go.
    runGate().close();
    OnStop();
    sources_.clear();
    tag_.detach();
    return kOk;
}

void Block::resolveInputs() {
    sources_.assign(inputCount(), nullptr);
    for (std::size_t i = 0; i < inputCount(); ++i) {
        const InputPort& port = inputs()[i];
        if (!port.isConnected()) continue;
        if (const Node* source = registry().FindNode(port.sourceId)) {
            sources_[i] = source->outputValue(port.sourceOutput);
        }
    }
}

std::optional<float> Block::readFloat(std::size_t input, std::size_t element) {
    const OutputValue* value = inputValue(input);
    if (value == nullptr) return std::nullopt;
    ConvertValue(*this, kTypeFloat, *value, {}, element);
    return scratchFloat();
}

std::optional<std::int32_t> Block::readInteger(std::size_t input, std::size_t element) {
    const OutputValue* value = inputValue(input);
    if (value == nullptr) return std::nullopt;
    ConvertValue(*this, kTypeInteger, *value, {}, element);
    return scratchInteger();
}

bool Block::readText(std::size_t input, std::span<char> buffer, std::size_t element) {
    const OutputValue* value = inputValue(input);
    if (value == nullptr || buffer.empty()) return false;
    return ConvertValue(*this, kTypeString, *value, buffer, element);
}

// ---- validation ----

Code Block::refuse(Code messageId, Details details) const {
    if (context().ui != nullptr) showMessageBox(*context().ui, messageId, details, MessageIcon::Warning);
    return messageId;
}

Code Block::refuseForBlock(Code messageId) const {
    const std::string task = taskName();
    return refuse(messageId, {task, caption_});
}

Code Block::refuseUnconfigured() const {
    return refuseForBlock(kMsgUnconfiguredBlock);
}

Code Block::requireInputs(std::initializer_list<std::size_t> required) const {
    for (const std::size_t i : required) {
        const InputPort* port = input(i);
        if (port == nullptr || !port->isConnected()) return refuse(kMsgInputUndefined);
    }
    return kOk;
}

// ---- record ----

Status Block::Save(BinaryWriter& out) const {
    RecordWriter record(out, fileTag());
    if (Status s = Node::Save(out); !s) return s;
    out.i32(box_.left);
    out.i32(box_.top);
    out.i32(box_.right);
    out.i32(box_.bottom);
    writeStoredText(out, name());
    writeStoredText(out, caption_);
    if (Status s = SavePayload(out); !s) return s;
    return record.finish();
}

Status Block::Load(BinaryReader& in, int fileVersion) {
    RecordReader record(in, fileTag());
    tag_.withdraw(taskName());
    Status body = loadCommon(in, fileVersion);
    // Past the common part the block has its stored name: a damage report
    // leads with the names the user knows it by, the record's place follows.
    const bool named = body.ok();
    if (body) body = LoadPayload(in, fileVersion, record);
    Status result = record.finish(std::move(body));
    if (!result && named) {
        const std::string who = "block " + (caption().empty() ? name() : caption() + " (" + name() + ")");
        result.context = who + (record.cutShort() ? " is cut short: " : ": ") + result.context;
    }
    publishTag();
    return result;
}

Status Block::loadCommon(BinaryReader& in, int fileVersion) {
    if (Status s = Node::Load(in, fileVersion); !s) return s;
    Rect box;
    box.left = in.i32();
    box.top = in.i32();
    box.right = in.i32();
    box.bottom = in.i32();
    if (in.failed()) return cutShort(in, "box");
    for (const int edge : {box.left, box.top, box.right, box.bottom}) {
        if (!isStoredCoordinate(edge)) {
            return {kRecordLoadError, "box edge " + std::to_string(edge) + " before byte " +
                                          std::to_string(in.position()) + " is out of range"};
        }
    }
    setBox(box);
    std::string text;
    if (Status s = readStoredText(in, kMaxNameLength, "name", text); !s) return s;
    setName(text);
    if (Status s = readStoredText(in, kMaxCaptionLength, "caption", text); !s) return s;
    setCaption(text);
    return {};
}

}  // namespace kestrune
