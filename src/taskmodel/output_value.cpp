#include "taskmodel/output_value.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "taskmodel/value_conversion.h"

namespace kestrune {

void OutputValue::reset(DataType type, std::size_t count) {
    std::lock_guard guard(textLock_);
    type_ = type;
    count_ = count;
    numbers_.reset();
    texts_.reset();
    if (count == 0) return;
    if (holdsText()) {
        texts_ = std::make_unique<char[]>(count * kStringBufferSize);  // zero-filled
    } else {
        numbers_ = std::make_unique<std::atomic<std::uint32_t>[]>(count);  // value-initialised: 0
    }
}

std::string OutputValue::text(std::size_t element) const {
    std::lock_guard guard(textLock_);
    if (texts_ == nullptr || element >= count_) return {};
    const char* p = texts_.get() + element * kStringBufferSize;
    return std::string(p, strnlen(p, kMaxStringLength));
}

void OutputValue::convertInteger(std::int32_t value, std::size_t element) {
    switch (elementType(type_)) {
        case kTypeFloat:
            storeBits(element, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
            break;
        case kTypeString:
            setText(FormatInteger(value), element);
            break;
        default:
            storeBits(element, static_cast<std::uint32_t>(value));
    }
}

void OutputValue::convertFloat(float value, std::size_t element) {
    switch (elementType(type_)) {
        case kTypeInteger:
            storeBits(element, static_cast<std::uint32_t>(FloatToInteger(value)));
            break;
        case kTypeString:
            setText(FormatFloat(value), element);
            break;
        default:
            storeBits(element, std::bit_cast<std::uint32_t>(value));
    }
}

void OutputValue::setText(std::string_view value, std::size_t element) {
    switch (elementType(type_)) {
        case kTypeString: {
            std::lock_guard guard(textLock_);
            if (texts_ == nullptr || element >= count_) return;
            char* p = texts_.get() + element * kStringBufferSize;
            const std::size_t n = std::min(value.size(), kMaxStringLength);
            std::memcpy(p, value.data(), n);
            p[n] = '\0';
            break;
        }
        case kTypeFloat:
            storeBits(element, std::bit_cast<std::uint32_t>(ParseFloat(value)));
            break;
        default:
            storeBits(element, static_cast<std::uint32_t>(ParseInteger(value)));
    }
}

// Reads follow the source's element type; a value of any other type is read
// as the bits it holds, as a consumer reading through a raw pointer would.
std::int32_t OutputValue::integerFromOther(std::size_t element) const {
    switch (elementType(type_)) {
        case kTypeFloat:
            return FloatToInteger(std::bit_cast<float>(bits(element)));
        case kTypeString:
            return ParseInteger(text(element));
        default:
            return static_cast<std::int32_t>(bits(element));
    }
}

float OutputValue::floatFromOther(std::size_t element) const {
    switch (elementType(type_)) {
        case kTypeInteger:
            return static_cast<float>(static_cast<std::int32_t>(bits(element)));
        case kTypeString:
            return ParseFloat(text(element));
        default:
            return std::bit_cast<float>(bits(element));
    }
}

std::string OutputValue::toText(std::size_t element) const {
    switch (elementType(type_)) {
        case kTypeFloat:
            return FormatFloat(std::bit_cast<float>(bits(element)));
        case kTypeString:
            return text(element);
        default:
            return FormatInteger(static_cast<std::int32_t>(bits(element)));
    }
}

}  // namespace kestrune
