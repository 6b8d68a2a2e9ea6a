#include "document/virtual_tag.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "components/tagdb/tag_database.h"
#include "document/counted_text.h"
#include "taskmodel/graph_object.h"

namespace kestrune {

VirtualTag::VirtualTag(TagDatabase* tags, std::string_view name, std::uint16_t type, bool hold)
    : tags_(tags), tag_(tags), name_(name), type_(normaliseType(type)), hold_(hold) {
    tag_.setShape({type_, 1});
    tag_.publish(kVirtualTaskName, name_);
    setHold(hold);
}

VirtualTag::~VirtualTag() {
    tag_.withdraw(kVirtualTaskName);
}

std::uint16_t VirtualTag::normaliseType(std::uint16_t stored) {
    if (stored == kInteger || stored == kFloat || stored == kString) return stored;
    return stored == 0 ? kInteger : kFloat;
}

void VirtualTag::setHold(bool hold) {
    hold_ = hold;
    // Only the tag this one made: a tag of the same name that another owner
    // published keeps its own flag.
    if (tags_ != nullptr && tag_.published()) tags_->HoldTag(kVirtualTaskName, name_, hold);
}

void VirtualTag::setInitialInteger(std::int32_t v) {
    initialInteger_ = v;
    publishInitialValue();
}

void VirtualTag::setInitialFloat(float v) {
    initialFloat_ = v;
    publishInitialValue();
}

void VirtualTag::setInitialText(std::string_view text) {
    initialText_ = std::string(text.substr(0, kMaxTextLength));
    publishInitialValue();
}

void VirtualTag::publishInitialValue() const {
    if (tags_ != nullptr && tag_.published()) writeInitialValue(*tags_);
}

Code VirtualTag::writeInitialValue(TagDatabase& tags) const {
    switch (type_) {
        case kInteger: {
            const DB_PARAM value = DB_PARAM::Int(initialInteger_);
            return tags.SetData(kVirtualTaskName, name_, &value);
        }
        case kString: {
            std::array<char, kTagTextSize> text{};
            std::memcpy(text.data(), initialText_.data(),
                        std::min<std::size_t>(initialText_.size(), kTagMaxTextLength));
            const DB_PARAM value = DB_PARAM::Text(text.data());
            return tags.SetData(kVirtualTaskName, name_, &value);
        }
        default: {
            const DB_PARAM value = DB_PARAM::Float(initialFloat_);
            return tags.SetData(kVirtualTaskName, name_, &value);
        }
    }
}

void VirtualTag::write(BinaryWriter& out) const {
    out.tag(kTag);
    writeCountedText(out, name_, Terminator::Counted);
    out.u16(type_);
    out.u32(hold_ ? 1 : 0);
    switch (type_) {
        case kInteger:
            out.i32(initialInteger_);
            break;
        case kString:
            writeCountedText(out, initialText_, Terminator::None);
            break;
        default:
            out.f32(initialFloat_);
            break;
    }
}

Status VirtualTag::read(BinaryReader& in, int fileVersion, TagDatabase* tags,
                        std::unique_ptr<VirtualTag>& tag) {
    const std::size_t at = in.position() >= 4 ? in.position() - 4 : 0;
    auto damaged = [&](std::string_view what) {
        return Status{kRecordLoadError,
                      "VTAG record at byte " + std::to_string(at) + ": " + std::string(what)};
    };
    std::string name;
    if (!readCountedText(in, 255, name)) return damaged("name cut short");
    std::uint16_t type = kFloat;
    bool hold = false;
    if (fileVersion >= 4) {
        type = in.u16();
        hold = in.u32() != 0;
        if (in.failed()) return damaged("type cut short");
    }
    type = normaliseType(type);
    std::int32_t integer = 0;
    float real = 0.0f;
    std::string text;
    switch (type) {
        case kInteger:
            integer = in.i32();
            break;
        case kString:
            readCountedText(in, kMaxTextLength, text);
            break;
        default:
            real = in.f32();
            break;
    }
    // A bad name is skipped whole, so the records after it still load.
    if (!isValidName(name)) return damaged("the name \"" + name + "\" is not 1 to 9 characters");
    tag = std::make_unique<VirtualTag>(tags, name, type, hold);
    if (in.failed()) return damaged("initial value cut short");
    switch (type) {
        case kInteger:
            tag->setInitialInteger(integer);
            break;
        case kString:
            tag->setInitialText(text);
            break;
        default:
            tag->setInitialFloat(real);
            break;
    }
    return {};
}

}  // namespace kestrune
