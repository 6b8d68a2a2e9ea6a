#include "components/basic/basic_value.h"

namespace kestrune {

void BasicValue::retainArray() const {
    ++a_->refs;
}

void BasicValue::releaseSlow() {
    if (type_ == BasicType::String) {
        if (s_ && --s_->refs == 0) delete s_;
    } else if (--a_->refs == 0) {
        delete a_;
    }
    type_ = BasicType::Empty;
}

bool BasicValue::isNumeric() const {
    switch (type_) {
        case BasicType::Empty:
        case BasicType::Integer:
        case BasicType::Long:
        case BasicType::Single:
        case BasicType::Double:
        case BasicType::Boolean:
        case BasicType::Date:
            return true;
        default:
            return false;
    }
}

BasicValue BasicValue::single(float v) {
    BasicValue r;
    r.type_ = BasicType::Single;
    r.f_ = v;
    return r;
}

BasicValue BasicValue::doubleValue(double v) {
    BasicValue r;
    r.type_ = BasicType::Double;
    r.d_ = v;
    return r;
}

BasicValue BasicValue::date(double v) {
    BasicValue r = doubleValue(v);
    r.type_ = BasicType::Date;
    return r;
}

BasicValue BasicValue::string(std::string_view text) {
    BasicValue r;
    r.type_ = BasicType::String;
    r.s_ = text.empty() ? nullptr : new BasicString{1, std::string(text)};
    return r;
}

BasicValue BasicValue::string(std::string&& text) {
    BasicValue r;
    r.type_ = BasicType::String;
    r.s_ = text.empty() ? nullptr : new BasicString{1, std::move(text)};
    return r;
}

BasicValue BasicValue::object(std::uint32_t handle, std::uint16_t classIndex) {
    BasicValue r;
    r.type_ = BasicType::Object;
    r.l_ = handle | (static_cast<std::uint64_t>(classIndex) << 32);
    return r;
}

BasicValue BasicValue::array(BasicArray* adopted) {
    BasicValue r;
    r.type_ = BasicType::Array;
    r.a_ = adopted;
    return r;
}

BasicValue BasicValue::ref(BasicValue* target) {
    BasicValue r;
    r.type_ = BasicType::Ref;
    r.r_ = target;
    return r;
}

BasicValue basicDefault(BasicType type) {
    switch (type) {
        case BasicType::Integer: return BasicValue::integer(0);
        case BasicType::Long: return BasicValue::longValue(0);
        case BasicType::Single: return BasicValue::single(0);
        case BasicType::Double: return BasicValue::doubleValue(0);
        case BasicType::Date: return BasicValue::date(0);
        case BasicType::Boolean: return BasicValue::boolean(false);
        case BasicType::String: return BasicValue::string(std::string_view());
        case BasicType::Object: return BasicValue::object(0, 0);
        default: return BasicValue();
    }
}

}  // namespace kestrune
