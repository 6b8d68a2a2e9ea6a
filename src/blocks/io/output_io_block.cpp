#include "blocks/io/output_io_block.h"

#include <algorithm>

#include "blocks/display_binding.h"
#include "blocks/io/io_record.h"
#include "components/tagdb/tag_database.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/value_conversion.h"

namespace kestrune {

OutputIoBlock::OutputIoBlock(const NodeContext& context, std::int16_t kind, const BlockServices& services,
                             bool integerValue)
    : IoBlock(context, kind, services), integerValue_(integerValue) {}

double OutputIoBlock::value() const {
    std::lock_guard guard(lock());
    return value_;
}

std::optional<double> OutputIoBlock::lastWritten() const {
    std::lock_guard guard(lock());
    return lastWritten_;
}

bool OutputIoBlock::outputOpen() const {
    return source().usesOpc() ? opcItemHandle() != 0 : deviceHandle() != 0;
}

void OutputIoBlock::CopyTo(GraphObject& other) const {
    IoBlock::CopyTo(other);
    auto* target = dynamic_cast<OutputIoBlock*>(&other);
    if (target == nullptr || target->kind() != kind()) return;
    target->mode_ = mode_;
    target->dde_.setEnabled(dde_.enabled());
    target->dde_.setNames(dde_.names());
}

// ---- record ----

InitialValueMode OutputIoBlock::readInitialMode(std::uint16_t stored) {
    return stored <= 2 ? static_cast<InitialValueMode>(stored) : InitialValueMode::None;
}

Status OutputIoBlock::loadOutputTrailer(BinaryReader& in, const RecordReader& record) {
    if (record.hasMore()) {
        dde_.setEnabled(in.u16() == 1);
        if (Status s = io_record::checked(in, "DDE link"); !s) return s;
    }
    if (record.hasMore()) {
        if (Status s = dde_.load(in); !s) return s;
    }
    if (record.hasMore()) {
        const std::uint16_t times = in.u16();
        if (Status s = io_record::checked(in, "update times"); !s) return s;
        setUpdateTimes(times);
    }
    return {};
}

void OutputIoBlock::saveOutputTrailer(BinaryWriter& out) const {
    out.u16(dde_.enabled() ? 1 : 0);
    dde_.save(out);
    out.u16(updateTimes());
}

// ---- start and stop ----

std::optional<double> OutputIoBlock::initialValue() {
    switch (mode_) {
        case InitialValueMode::Value:
            return storedInitialValue();
        case InitialValueMode::Restore: {
            TagDatabase* db = context().tags;
            if (db == nullptr || !tag().published()) return value_;
            db->HoldTag(taskName(), tag().name(), true);
            DB_PARAM p = integerValue_ ? DB_PARAM::Int(0) : DB_PARAM::Float(0.0f);
            if (db->GetDataExp(tag().handle(), &p) != kOk) return value_;
            return integerValue_ ? static_cast<double>(p.value.lVal) : static_cast<double>(p.value.fVal);
        }
        case InitialValueMode::None:
            break;
    }
    return std::nullopt;
}

Code OutputIoBlock::StartIo(const DeviceFeatures&) {
    const InputPort* port = input(0);
    if (port == nullptr || !port->isConnected()) {
        dde_.connect(services().dde, integerValue_ ? kDdeTypeInteger : kDdeTypeFloat);
    }
    std::optional<double> start = initialValue();
    std::optional<double> written = start;
    if (start) {
        if (const Code code = writeOutput(*start, true); code != kOk) {
            dde_.release();
            return code;
        }
    } else if (source().usesOpc() && opc() != nullptr && opc()->itemRead(opcItemHandle()) == kOk) {
        // The synchronous read has delivered the item's value when it returns.
        const double read = integerValue_ ? opcValue().toInt32() : opcValue().toFloat();
        start = written = read;
    }
    // A device left without an initial value is in a state this run does
    // not know, so the first value the block has is written whatever it is.
    {
        std::lock_guard guard(lock());
        if (start) value_ = *start;
        lastWritten_ = written;
        showValue(value_);
    }
    registerWithDisplayItem();
    return kOk;
}

void OutputIoBlock::StopIo() {
    dde_.release();
    unregisterFromDisplayItem();
}

void OutputIoBlock::registerWithDisplayItem() {
    displayItem_ = 0;
    registered_.clear();
    const InputPort* port = input(0);
    if (port == nullptr || !port->isConnected()) return;
    Node* source = registry().FindNode(port->sourceId);
    if (source == nullptr || source->kind() != kTagBlockKind) return;
    const auto* binding = dynamic_cast<const DisplayItemBinding*>(source);
    Node* item = binding != nullptr ? binding->boundDisplayItem() : nullptr;
    if (item == nullptr || !isDisplayItemKind(item->kind())) return;
    displayItem_ = item->id();
    // Only what this run adds is taken away again at stop: the tag block may
    // be registered with its item already.
    for (const std::uint32_t id :
         {static_cast<std::uint32_t>(source->id()), static_cast<std::uint32_t>(this->id())}) {
        if (std::ranges::find(item->consumers(), id) != item->consumers().end()) continue;
        item->AddConsumer(id);
        registered_.push_back(id);
    }
}

void OutputIoBlock::unregisterFromDisplayItem() {
    if (Node* item = displayItem_ != 0 ? registry().FindNode(displayItem_) : nullptr) {
        for (const std::uint32_t id : registered_) item->RemoveConsumer(id);
    }
    displayItem_ = 0;
    registered_.clear();
}

// ---- scan ----

std::optional<double> OutputIoBlock::nextValue() {
    if (inputValue(0) != nullptr) {
        // The conversion goes through the node's scratch values: held under
        // the lock like everything else a second scanning thread could touch.
        std::lock_guard guard(lock());
        if (integerValue_) return readInteger(0);
        return readFloat(0);
    }
    if (const std::optional<std::string> text = dde_.text()) {
        return integerValue_ ? static_cast<double>(ParseInteger(*text))
                             : static_cast<double>(ParseFloat(*text));
    }
    return std::nullopt;
}

Code OutputIoBlock::ScanIo() {
    std::lock_guard scanning(scanLock_);
    const std::optional<double> next = nextValue();
    if (next && (!lastWritten_ || *next != *lastWritten_)) {
        if (!outputOpen()) return kOk;
        if (const Code code = writeOutput(*next, false); code != kOk) return scanFailure(code);
    }
    {
        std::lock_guard guard(lock());
        if (next) {
            value_ = *next;
            lastWritten_ = *next;
        }
        showValue(value_);
    }
    return publishValue();
}

}  // namespace kestrune
