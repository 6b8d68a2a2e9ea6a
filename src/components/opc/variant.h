#pragma once
// The value an OPC item exchanges with a block. The type codes are those the
// blocks test (2 signed 16-bit, 3 signed 32-bit, 4 float, 5 double, 8 string,
// 11 boolean, 18 unsigned 16-bit, 19 unsigned 32-bit); the type a block sets
// before registering an item is the type it asks the server to deliver.

#include <cstdint>
#include <string>
#include <variant>

namespace kestrune {

enum class VarType : std::uint16_t {
    Empty = 0,
    I2 = 2,
    I4 = 3,
    R4 = 4,
    R8 = 5,
    BStr = 8,
    Bool = 11,
    UI2 = 18,
    UI4 = 19,
};

class Variant {
  public:
    using Value = std::variant<std::monostate, std::int16_t, std::int32_t, float, double, std::string, bool,
                               std::uint16_t, std::uint32_t>;

    Variant() = default;
    Variant(std::int16_t v) : value_(v) {}  // NOLINT(google-explicit-constructor): values convert freely
    Variant(std::int32_t v) : value_(v) {}  // NOLINT(google-explicit-constructor)
    Variant(float v) : value_(v) {}         // NOLINT(google-explicit-constructor)
    Variant(double v) : value_(v) {}        // NOLINT(google-explicit-constructor)
    Variant(std::string v) : value_(std::move(v)) {}    // NOLINT(google-explicit-constructor)
    Variant(const char* v) : value_(std::string(v)) {}  // NOLINT(google-explicit-constructor)
    Variant(bool v) : value_(v) {}                      // NOLINT(google-explicit-constructor)
    Variant(std::uint16_t v) : value_(v) {}             // NOLINT(google-explicit-constructor)
    Variant(std::uint32_t v) : value_(v) {}             // NOLINT(google-explicit-constructor)

    // A zero value of `type` (an empty string, false).
    static Variant ofType(VarType type);

    VarType type() const;
    bool empty() const { return value_.index() == 0; }
    const Value& value() const { return value_; }
    template <class T>
    const T* get() const {
        return std::get_if<T>(&value_);
    }

    // Conversions for consumers. Numbers convert to numbers, booleans to 1 or
    // 0, strings are parsed as decimal numbers (0 when they are not one);
    // toInt32 truncates toward zero and saturates at the 32-bit limits.
    double toDouble() const;
    float toFloat() const { return static_cast<float>(toDouble()); }
    std::int32_t toInt32() const;
    std::string toString() const;

    // Converts in place, as a server does to deliver a requested type:
    // numbers round to the nearest integer. False, with the value left alone,
    // when it does not fit the type or a string is not a number.
    bool changeType(VarType type);

    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

  private:
    Value value_;
};

}  // namespace kestrune
