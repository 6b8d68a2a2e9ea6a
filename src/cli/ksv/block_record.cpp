#include "cli/ksv/block_record.h"

#include "document/file_version.h"
#include "taskmodel/block.h"
#include "taskmodel/graph_object.h"

namespace kestrune::ksv {
namespace {

void writeText(BinaryWriter& out, std::string_view text) {
    out.i32(static_cast<std::int32_t>(text.size()));
    out.bytes(text.data(), text.size());
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

BlockCommonPart BlockCommonPart::of(const Block& block) {
    BlockCommonPart p;
    p.id = block.id();
    p.kind = block.kind();
    p.instance = block.instanceNumber();
    p.inputs.assign(block.inputs().begin(), block.inputs().end());
    p.outputs.assign(block.outputs().begin(), block.outputs().end());
    p.order = block.order();
    p.consumers = block.consumers();
    p.box = block.box();
    p.name = block.name();
    p.caption = block.caption();
    return p;
}

void BlockCommonPart::write(BinaryWriter& out) const {
    out.u32(id);
    out.i16(kind);
    out.u16(instance);
    out.u32(static_cast<std::uint32_t>(inputs.size()));
    for (const InputPort& port : inputs) {
        out.u32(port.sourceId);
        out.u32(port.sourceOutput);
        out.u16(port.acceptedMask);
    }
    out.u32(static_cast<std::uint32_t>(outputs.size()));
    for (const OutputPort& port : outputs) out.u16(port.dataType);
    out.u32(order);
    out.u32(static_cast<std::uint32_t>(consumers.size()));
    for (const std::uint32_t id : consumers) out.u32(id);
    out.i32(box.left);
    out.i32(box.top);
    out.i32(box.right);
    out.i32(box.bottom);
    writeText(out, name);
    writeText(out, caption);
}

Status kindPayload(const Block& block, std::vector<std::uint8_t>& payload) {
    BinaryWriter record;
    if (Status s = block.Save(record); !s) return s;
    BinaryWriter common;
    BlockCommonPart::of(block).write(common);
    // The tag and the length come first.
    const std::size_t start = 4 + 2 + common.size();
    if (record.size() < start) {
        return {kRecordLoadError, "the record of " + block.name() + " is shorter than its common part"};
    }
    payload.assign(record.data().begin() + static_cast<std::ptrdiff_t>(start), record.data().end());
    return {};
}

Status loadBlockRecord(Block& block, const BlockCommonPart& common, std::span<const std::uint8_t> payload) {
    BinaryWriter record;
    const std::size_t length = record.beginLength16();
    common.write(record);
    record.bytes(payload);
    if (!record.endLength16(length)) {
        return {kRecordLoadError, "the record of " + common.name + " is longer than 65535 bytes"};
    }
    BinaryReader in(record.data());
    return block.Load(in, FileVersion::current().major);
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

bool fromHex(std::string_view text, std::vector<std::uint8_t>& bytes, std::size_t& badAt) {
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        if (high < 0) {
            badAt = i;
            return false;
        }
        if (i + 1 >= text.size() || hexDigit(text[i + 1]) < 0) {
            badAt = i + 1;
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | hexDigit(text[i + 1])));
    }
    return true;
}

}  // namespace kestrune::ksv
