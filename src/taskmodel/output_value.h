#pragma once
// The current value of one output of a node: what its consumers read on every
// scan, through a pointer they cache when the run starts. The owning node
// writes it on its scan thread while consumers on other task threads (and the
// user-interface thread) read it, so numbers are kept in atomics and texts
// behind a small lock: a reader sees the last whole value, never a torn one.
//
// A value holds `count` elements of its type (one for a scalar, the channels
// of an array output). Writes convert into the value's own type and reads
// convert into the wanted type by the rules of value_conversion.h. An element
// index beyond the value reads as 0 or "" and is ignored when written.
//
// reset() changes type and size and must not run while anyone reads the value
// (it belongs to construction, loading and Start).

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "taskmodel/data_type.h"

namespace kestrune {

class OutputValue {
  public:
    OutputValue() = default;
    explicit OutputValue(DataType type, std::size_t count = 1) { reset(type, count); }
    OutputValue(const OutputValue&) = delete;
    OutputValue& operator=(const OutputValue&) = delete;

    // New type and element count; every element starts at 0 or "".
    void reset(DataType type, std::size_t count = 1);

    DataType dataType() const { return type_; }
    std::size_t count() const { return count_; }
    bool holdsText() const { return elementType(type_) == kTypeString; }

    // A value read or written in its own type is the common case of every
    // scan and stays inline; a conversion takes the out-of-line way.
    void setInteger(std::int32_t value, std::size_t element = 0) {
        if (elementType(type_) == kTypeInteger) {
            storeBits(element, static_cast<std::uint32_t>(value));
        } else {
            convertInteger(value, element);
        }
    }
    void setFloat(float value, std::size_t element = 0) {
        if (elementType(type_) == kTypeFloat) {
            storeBits(element, std::bit_cast<std::uint32_t>(value));
        } else {
            convertFloat(value, element);
        }
    }
    // Keeps at most 127 characters.
    void setText(std::string_view value, std::size_t element = 0);

    std::int32_t toInteger(std::size_t element = 0) const {
        return elementType(type_) == kTypeInteger ? static_cast<std::int32_t>(bits(element))
                                                  : integerFromOther(element);
    }
    float toFloat(std::size_t element = 0) const {
        return elementType(type_) == kTypeFloat ? std::bit_cast<float>(bits(element))
                                                : floatFromOther(element);
    }
    std::string toText(std::size_t element = 0) const;

  private:
    std::uint32_t bits(std::size_t element) const {
        if (numbers_ == nullptr || element >= count_) return 0;
        return numbers_[element].load(std::memory_order_relaxed);
    }
    void storeBits(std::size_t element, std::uint32_t value) {
        if (numbers_ == nullptr || element >= count_) return;
        numbers_[element].store(value, std::memory_order_relaxed);
    }
    std::string text(std::size_t element) const;
    void convertInteger(std::int32_t value, std::size_t element);
    void convertFloat(float value, std::size_t element);
    std::int32_t integerFromOther(std::size_t element) const;
    float floatFromOther(std::size_t element) const;

    DataType type_ = 0;
    std::size_t count_ = 0;
    std::unique_ptr<std::atomic<std::uint32_t>[]> numbers_;
    std::unique_ptr<char[]> texts_;  // count_ buffers of kStringBufferSize
    mutable std::mutex textLock_;
};

}  // namespace kestrune
