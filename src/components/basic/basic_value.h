#pragma once
// The run-time value of the script language: a 16-byte tagged union. Strings
// and arrays are reference counted without atomics, because a value never
// leaves the instance (and so the thread) that made it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// The numeric type codes the host sees (the classic variant codes).
enum class BasicType : std::uint8_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Date = 7,
    String = 8,
    Error = 10,  // a missing Optional argument
    Boolean = 11,
    Variant = 12,
    Object = 13,
    Array = 0x20,  // internal: a variable holding an array
    Ref = 0x21,    // internal: a ByRef argument pointing at the caller's variable
};

struct BasicString {
    std::uint32_t refs = 1;
    std::string text;
};

struct BasicArray;

class BasicValue {
  public:
    BasicValue() : type_(BasicType::Empty), l_(0) {}
    BasicValue(const BasicValue& o) : type_(o.type_), l_(o.l_) { retain(); }
    BasicValue(BasicValue&& o) noexcept : type_(o.type_), l_(o.l_) { o.type_ = BasicType::Empty; }
    BasicValue& operator=(const BasicValue& o) {
        o.retain();
        release();
        type_ = o.type_;
        l_ = o.l_;
        return *this;
    }
    BasicValue& operator=(BasicValue&& o) noexcept {
        if (this != &o) {
            release();
            type_ = o.type_;
            l_ = o.l_;
            o.type_ = BasicType::Empty;
        }
        return *this;
    }
    void clear() {
        release();
        type_ = BasicType::Empty;
    }
    // For a slot known to hold no string or array (an Empty stack slot, a number).
    void initFrom(const BasicValue& o) {
        type_ = o.type_;
        l_ = o.l_;
        retain();
    }
    // Takes o's value and its reference; o becomes Empty. This value must hold no string or array.
    void adopt(BasicValue& o) {
        type_ = o.type_;
        l_ = o.l_;
        o.type_ = BasicType::Empty;
    }
    void forget() { type_ = BasicType::Empty; }
    bool isCounted() const { return type_ == BasicType::String || type_ == BasicType::Array; }
    ~BasicValue() { release(); }

    static BasicValue integer(std::int16_t v) { return BasicValue(BasicType::Integer, v); }
    static BasicValue longValue(std::int32_t v) { return BasicValue(BasicType::Long, v); }
    static BasicValue boolean(bool v) { return BasicValue(BasicType::Boolean, v ? -1 : 0); }
    static BasicValue single(float v);
    static BasicValue doubleValue(double v);
    static BasicValue date(double v);
    static BasicValue string(std::string_view text);
    static BasicValue string(std::string&& text);
    static BasicValue object(std::uint32_t handle, std::uint16_t classIndex);
    static BasicValue missing() { return BasicValue(BasicType::Error, 448); }
    static BasicValue array(BasicArray* adopted);
    static BasicValue ref(BasicValue* target);

    BasicType type() const { return type_; }
    bool isNumeric() const;  // Integer, Long, Single, Double, Boolean, Date, Empty
    bool isMissing() const { return type_ == BasicType::Error; }

    // Raw access; the caller has checked the type.
    std::int32_t rawInt() const { return i_; }
    double rawDouble() const { return d_; }
    float rawSingle() const { return f_; }
    std::string_view rawString() const { return s_ ? std::string_view(s_->text) : std::string_view(); }
    BasicString* rawStringRep() const { return s_; }
    BasicArray* rawArray() const { return a_; }
    BasicValue* rawRef() const { return r_; }
    std::uint32_t objectHandle() const { return static_cast<std::uint32_t>(l_); }
    std::uint16_t objectClass() const { return static_cast<std::uint16_t>(l_ >> 32); }

    // In-place updates of a number the caller has checked the type of.
    void setRawInt(std::int32_t v) { i_ = v; }
    void setInt(BasicType t, std::int32_t v) {
        type_ = t;
        l_ = 0;
        i_ = v;
    }
    void setRawDouble(double v) { d_ = v; }
    void setBool(bool v) {
        type_ = BasicType::Boolean;
        l_ = 0;
        i_ = v ? -1 : 0;
    }

    void swap(BasicValue& o) noexcept {
        std::swap(type_, o.type_);
        std::swap(l_, o.l_);
    }

  private:
    BasicValue(BasicType t, std::int32_t v) : type_(t), l_(0) { i_ = v; }
    void retain() const {
        if (type_ == BasicType::String) {
            if (s_) ++s_->refs;
        } else if (type_ == BasicType::Array) {
            retainArray();
        }
    }
    void release() {
        if (type_ == BasicType::String || type_ == BasicType::Array) releaseSlow();
    }
    void retainArray() const;
    void releaseSlow();

    BasicType type_;
    union {
        std::int32_t i_;
        float f_;
        double d_;
        BasicString* s_;
        BasicArray* a_;
        BasicValue* r_;
        std::uint64_t l_;
    };
};

struct BasicArray {
    std::uint32_t refs = 1;
    BasicType element = BasicType::Variant;
    bool fixed = false;  // Dim a(10): ReDim is error 10
    int dims = 0;
    std::int32_t lower[8]{};
    std::int32_t count[8]{};
    std::vector<BasicValue> data;
};

// The default value of a variable of `type` (0, "", Empty, Nothing).
BasicValue basicDefault(BasicType type);

}  // namespace kestrune
