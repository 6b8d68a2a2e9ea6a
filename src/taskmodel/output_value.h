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

    void setInteger(std::int32_t value, std::size_t element = 0);
    void setFloat(float value, std::size_t element = 0);
    // Keeps at most 127 characters.
    void setText(std::string_view value, std::size_t element = 0);

    std::int32_t toInteger(std::size_t element = 0) const;
    float toFloat(std::size_t element = 0) const;
    std::string toText(std::size_t element = 0) const;

  private:
    std::uint32_t bits(std::size_t element) const;
    void storeBits(std::size_t element, std::uint32_t bits);
    std::string text(std::size_t element) const;

    DataType type_ = 0;
    std::size_t count_ = 0;
    std::unique_ptr<std::atomic<std::uint32_t>[]> numbers_;
    std::unique_ptr<char[]> texts_;  // count_ buffers of kStringBufferSize
    mutable std::mutex textLock_;
};

}  // namespace kestrune
