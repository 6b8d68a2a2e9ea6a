#pragma once
// Little-endian byte streams for the strategy file, object records and the
// hold file. The writer keeps everything in memory so that record lengths can
// be patched after the body is written and so that a file is only replaced
// once it is complete. The reader is bounds-checked: reading past the end (or
// past the end of the current record) sets a sticky failure and yields zeros;
// it never reads outside its buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Four ASCII characters written as they read ("QKSV", "BTSK", ...).
using FourCC = std::array<char, 4>;
constexpr FourCC fourcc(const char (&s)[5]) { return {s[0], s[1], s[2], s[3]}; }
inline std::string_view toString(const FourCC& t) { return {t.data(), 4}; }

class BinaryWriter {
public:
    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v);
    void f64(double v);
    void bytes(std::span<const std::uint8_t> data);
    void bytes(const void* data, std::size_t size);
    void tag(const FourCC& t);
    // Exactly `width` bytes: the text cut to width - 1 characters, zero padded.
    void fixedString(std::string_view text, std::size_t width);
    void zeros(std::size_t count);

    // Writes a 16-bit placeholder and returns its position; endLength16 patches
    // it with the number of bytes written after it.
    std::size_t beginLength16();
    // Returns false when the body is longer than 65535 bytes (the field cannot hold it).
    bool endLength16(std::size_t placeholder);
    std::size_t beginLength32();
    void endLength32(std::size_t placeholder);

    void patchU16(std::size_t pos, std::uint16_t v);
    void patchU32(std::size_t pos, std::uint32_t v);

    std::size_t size() const { return buf_.size(); }
    const std::vector<std::uint8_t>& data() const { return buf_; }
    std::vector<std::uint8_t> take() { return std::move(buf_); }

private:
    std::vector<std::uint8_t> buf_;
};

class BinaryReader {
public:
    BinaryReader() = default;
    explicit BinaryReader(std::span<const std::uint8_t> data) : data_(data), limit_(data.size()) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32();
    double f64();
    bool bytes(void* out, std::size_t size);
    FourCC tag();
    // Reads exactly `width` bytes and returns the text up to the first zero.
    std::string fixedString(std::size_t width);
    bool skip(std::size_t count);

    // Absolute positions from the start of the buffer.
    std::size_t position() const { return pos_; }
    bool seek(std::size_t pos);
    std::size_t size() const { return data_.size(); }
    // Bytes left before the current limit (the record end, or the buffer end).
    std::size_t remaining() const { return pos_ <= limit_ ? limit_ - pos_ : 0; }
    bool atEnd() const { return remaining() == 0; }

    // A record body of `length` bytes starting here: reads are confined to it
    // until endRecord, which moves to its end whatever the reader consumed, so
    // that longer records of later versions load. Returns false (and fails the
    // stream) when the record runs past the buffer.
    struct Record {
        std::size_t end;
        std::size_t outerLimit;
    };
    Record beginRecord(std::size_t length);
    void endRecord(const Record& r);

    // Sticky: once a read ran past the limit, every later read yields zeros.
    bool failed() const { return failed_; }
    void clearFailure() { failed_ = false; }

private:
    bool take(std::size_t n, const std::uint8_t** out);

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t limit_ = 0;
    bool failed_ = false;
};

}  // namespace kestrune
