#include "platform/binary_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kestrune {

void BinaryWriter::u8(std::uint8_t v) { buf_.push_back(v); }

void BinaryWriter::u16(std::uint16_t v) {
    buf_.push_back(static_cast<std::uint8_t>(v));
    buf_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void BinaryWriter::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void BinaryWriter::f32(float v) { u32(std::bit_cast<std::uint32_t>(v)); }

void BinaryWriter::f64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

void BinaryWriter::bytes(std::span<const std::uint8_t> data) { buf_.insert(buf_.end(), data.begin(), data.end()); }

void BinaryWriter::bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    buf_.insert(buf_.end(), p, p + size);
}

void BinaryWriter::tag(const FourCC& t) { bytes(t.data(), 4); }

void BinaryWriter::fixedString(std::string_view text, std::size_t width) {
    if (width == 0) return;
    const std::size_t n = std::min(text.size(), width - 1);
    bytes(text.data(), n);
    zeros(width - n);
}

void BinaryWriter::zeros(std::size_t count) { buf_.insert(buf_.end(), count, 0); }

std::size_t BinaryWriter::beginLength16() {
    const std::size_t pos = buf_.size();
    u16(0);
    return pos;
}

bool BinaryWriter::endLength16(std::size_t placeholder) {
    const std::size_t body = buf_.size() - placeholder - 2;
    if (body > 0xFFFF) return false;
    patchU16(placeholder, static_cast<std::uint16_t>(body));
    return true;
}

std::size_t BinaryWriter::beginLength32() {
    const std::size_t pos = buf_.size();
    u32(0);
    return pos;
}

void BinaryWriter::endLength32(std::size_t placeholder) {
    patchU32(placeholder, static_cast<std::uint32_t>(buf_.size() - placeholder - 4));
}

void BinaryWriter::patchU16(std::size_t pos, std::uint16_t v) {
    buf_.at(pos) = static_cast<std::uint8_t>(v);
    buf_.at(pos + 1) = static_cast<std::uint8_t>(v >> 8);
}

void BinaryWriter::patchU32(std::size_t pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_.at(pos + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

bool BinaryReader::take(std::size_t n, const std::uint8_t** out) {
    if (failed_ || n > remaining()) {
        failed_ = true;
        return false;
    }
    *out = data_.data() + pos_;
    pos_ += n;
    return true;
}

std::uint8_t BinaryReader::u8() {
    const std::uint8_t* p = nullptr;
    return take(1, &p) ? p[0] : 0;
}

std::uint16_t BinaryReader::u16() {
    const std::uint8_t* p = nullptr;
    if (!take(2, &p)) return 0;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t BinaryReader::u32() {
    const std::uint8_t* p = nullptr;
    if (!take(4, &p)) return 0;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

float BinaryReader::f32() { return std::bit_cast<float>(u32()); }

double BinaryReader::f64() {
    const std::uint64_t lo = u32();
    const std::uint64_t hi = u32();
    return std::bit_cast<double>(lo | (hi << 32));
}

bool BinaryReader::bytes(void* out, std::size_t size) {
    const std::uint8_t* p = nullptr;
    if (!take(size, &p)) {
        std::memset(out, 0, size);
        return false;
    }
    std::memcpy(out, p, size);
    return true;
}

FourCC BinaryReader::tag() {
    FourCC t{};
    bytes(t.data(), 4);
    return t;
}

std::string BinaryReader::fixedString(std::size_t width) {
    const std::uint8_t* p = nullptr;
    if (!take(width, &p)) return {};
    const auto* c = reinterpret_cast<const char*>(p);
    return std::string(c, strnlen(c, width));
}

bool BinaryReader::skip(std::size_t count) {
    const std::uint8_t* p = nullptr;
    return take(count, &p);
}

bool BinaryReader::seek(std::size_t pos) {
    if (pos > limit_) {
        failed_ = true;
        return false;
    }
    pos_ = pos;
    return true;
}

BinaryReader::Record BinaryReader::beginRecord(std::size_t length) {
    Record r{pos_ + length, limit_};
    if (failed_ || length > remaining()) {
        failed_ = true;
        r.end = limit_;
        return r;
    }
    limit_ = r.end;
    return r;
}

void BinaryReader::endRecord(const Record& r) {
    limit_ = r.outerLimit;
    pos_ = std::min(r.end, limit_);
}

}  // namespace kestrune
