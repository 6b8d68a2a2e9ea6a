#include "components/basic/basic_ops.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

// 1 Integer, 2 Long, 3 Single, 4 Double; strings count as Double.
int rank(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Empty:
        case BasicType::Integer:
        case BasicType::Boolean:
            return 1;
        case BasicType::Long: return 2;
        case BasicType::Single: return 3;
        case BasicType::Double:
        case BasicType::Date:
        case BasicType::String:
            return 4;
        default: throwBasicError(kBasicTypeMismatch);
    }
}

// A whole-number result widens past its operands' type instead of failing (a
// Variant's rule); storing it in a narrower variable is what raises error 6.
BasicValue fromWide(std::int64_t v, int r) {
    if (r == 1 && v >= -32768 && v <= 32767) return BasicValue::integer(static_cast<std::int16_t>(v));
    if (v >= INT32_MIN && v <= INT32_MAX) return BasicValue::longValue(static_cast<std::int32_t>(v));
    return BasicValue::doubleValue(static_cast<double>(v));
}

BasicValue fromReal(double v, int r) {
    if (r == 3) {
        if (std::isfinite(v) && std::fabs(v) > 3.402823466e38) throwBasicError(kBasicOverflow);
        return BasicValue::single(static_cast<float>(v));
    }
    if (!std::isfinite(v)) throwBasicError(kBasicOverflow);
    return BasicValue::doubleValue(v);
}

BasicValue arithmetic(BasicOp op, const BasicValue& a, const BasicValue& b) {
    int r = std::max(rank(a), rank(b));
    // Single with Long needs a Double to stay exact.
    if (r == 3 && (a.type() == BasicType::Long || b.type() == BasicType::Long)) r = 4;
    if (r <= 2) {
        const std::int64_t x = a.type() == BasicType::Empty ? 0 : a.rawInt();
        const std::int64_t y = b.type() == BasicType::Empty ? 0 : b.rawInt();
        switch (op) {
            case BasicOp::Add: return fromWide(x + y, r);
            case BasicOp::Sub: return fromWide(x - y, r);
            default: return fromWide(x * y, r);
        }
    }
    const double x = basicToDouble(a);
    const double y = basicToDouble(b);
    switch (op) {
        case BasicOp::Add: return fromReal(x + y, r);
        case BasicOp::Sub: return fromReal(x - y, r);
        default: return fromReal(x * y, r);
    }
}

BasicValue integerDivision(BasicOp op, const BasicValue& a, const BasicValue& b) {
    const int r = std::max(rank(a), rank(b)) == 1 ? 1 : 2;
    const std::int64_t x = basicToLong(a);
    const std::int64_t y = basicToLong(b);
    if (y == 0) throwBasicError(kBasicDivisionByZero);
    return fromWide(op == BasicOp::IDiv ? x / y : x % y, r);
}

bool bothBoolean(const BasicValue& a, const BasicValue& b) {
    return a.type() == BasicType::Boolean && b.type() == BasicType::Boolean;
}

BasicValue logical(BasicOp op, const BasicValue& a, const BasicValue& b) {
    const bool narrow = rank(a) == 1 && rank(b) == 1;
    const std::int32_t x = basicToLong(a);
    const std::int32_t y = basicToLong(b);
    std::int32_t v = 0;
    switch (op) {
        case BasicOp::And: v = x & y; break;
        case BasicOp::Or: v = x | y; break;
        case BasicOp::Xor: v = x ^ y; break;
        case BasicOp::Eqv: v = ~(x ^ y); break;
        default: v = ~x | y; break;  // Imp
    }
    if (bothBoolean(a, b)) return BasicValue::boolean(v != 0);
    return narrow ? BasicValue::integer(static_cast<std::int16_t>(v)) : BasicValue::longValue(v);
}

bool isText(const BasicValue& v) {
    return v.type() == BasicType::String;
}

}  // namespace

int basicCompare(const BasicValue& a, const BasicValue& b) {
    if (a.type() == BasicType::Object || b.type() == BasicType::Object || a.type() == BasicType::Array ||
        b.type() == BasicType::Array)
        throwBasicError(kBasicTypeMismatch);
    if ((isText(a) && (isText(b) || b.type() == BasicType::Empty)) || (isText(b) && a.type() == BasicType::Empty)) {
        const int c = a.rawString().compare(b.rawString());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (rank(a) <= 2 && rank(b) <= 2) {
        const std::int32_t x = a.type() == BasicType::Empty ? 0 : a.rawInt();
        const std::int32_t y = b.type() == BasicType::Empty ? 0 : b.rawInt();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = basicToDouble(a);
    const double y = basicToDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

namespace {

// Whether `c` matches the one-character pattern element at p[i] (?, #, [..]
// or a plain character); `next` gets the index after the element.
bool matchesOne(char c, std::string_view p, std::size_t i, std::size_t& next) {
    if (p[i] == '?') {
        next = i + 1;
        return true;
    }
    if (p[i] == '#') {
        next = i + 1;
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (p[i] == '[') {
        const std::size_t close = p.find(']', i + 1);
        if (close == std::string_view::npos) throwBasicError(kBasicInvalidCall);
        std::string_view set = p.substr(i + 1, close - i - 1);
        const bool negate = !set.empty() && set.front() == '!';
        if (negate) set.remove_prefix(1);
        bool in = false;
        for (std::size_t k = 0; k < set.size(); ++k) {
            if (k + 2 < set.size() && set[k + 1] == '-') {
                in = in || (c >= set[k] && c <= set[k + 2]);
                k += 2;
            } else {
                in = in || c == set[k];
            }
        }
        next = close + 1;
        return in != negate;
    }
    next = i + 1;
    return c == p[i];
}

}  // namespace

// Greedy matching with one backtrack point per '*': linear in practice and
// never exponential, whatever the pattern.
bool basicLike(std::string_view text, std::string_view pattern) {
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        std::size_t next = 0;
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starT = t;
        } else if (p < pattern.size() && matchesOne(text[t], pattern, p, next)) {
            p = next;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

BasicValue basicBinary(BasicOp op, const BasicValue& a, const BasicValue& b) {
    if (a.type() == BasicType::Ref) return basicBinary(op, *a.rawRef(), b);
    if (b.type() == BasicType::Ref) return basicBinary(op, a, *b.rawRef());
    switch (op) {
        case BasicOp::Add:
            if (isText(a) && isText(b)) return BasicValue::string(basicToString(a) + basicToString(b));
            return arithmetic(op, a, b);
        case BasicOp::Sub:
        case BasicOp::Mul:
            return arithmetic(op, a, b);
        case BasicOp::Div: {
            const double y = basicToDouble(b);
            const double x = basicToDouble(a);
            if (y == 0) throwBasicError(x == 0 ? kBasicOverflow : kBasicDivisionByZero);
            return fromReal(x / y, 4);
        }
        case BasicOp::IDiv:
        case BasicOp::Mod:
            return integerDivision(op, a, b);
        case BasicOp::Pow: {
            const double x = basicToDouble(a);
            const double y = basicToDouble(b);
            if (x < 0 && y != std::floor(y)) throwBasicError(kBasicInvalidCall);
            if (x == 0 && y < 0) throwBasicError(kBasicDivisionByZero);
            return fromReal(std::pow(x, y), 4);
        }
        case BasicOp::Cat: return BasicValue::string(basicToString(a) + basicToString(b));
        case BasicOp::Eq: return BasicValue::boolean(basicCompare(a, b) == 0);
        case BasicOp::Ne: return BasicValue::boolean(basicCompare(a, b) != 0);
        case BasicOp::Lt: return BasicValue::boolean(basicCompare(a, b) < 0);
        case BasicOp::Gt: return BasicValue::boolean(basicCompare(a, b) > 0);
        case BasicOp::Le: return BasicValue::boolean(basicCompare(a, b) <= 0);
        case BasicOp::Ge: return BasicValue::boolean(basicCompare(a, b) >= 0);
        case BasicOp::Is:
            if (a.type() != BasicType::Object || b.type() != BasicType::Object) throwBasicError(kBasicObjectRequired);
            return BasicValue::boolean(a.objectHandle() == b.objectHandle());
        case BasicOp::Like: return BasicValue::boolean(basicLike(basicToString(a), basicToString(b)));
        default: return logical(op, a, b);
    }
}

BasicValue basicNegate(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Empty: return BasicValue::integer(0);
        case BasicType::Integer:
        case BasicType::Boolean:
            return fromWide(-static_cast<std::int64_t>(v.rawInt()), 1);
        case BasicType::Long: return fromWide(-static_cast<std::int64_t>(v.rawInt()), 2);
        case BasicType::Single: return BasicValue::single(-v.rawSingle());
        case BasicType::Ref: return basicNegate(*v.rawRef());
        default: return BasicValue::doubleValue(-basicToDouble(v));
    }
}

BasicValue basicNot(const BasicValue& v) {
    switch (v.type()) {
        case BasicType::Boolean: return BasicValue::boolean(v.rawInt() == 0);
        case BasicType::Empty: return BasicValue::integer(-1);
        case BasicType::Integer: return BasicValue::integer(static_cast<std::int16_t>(~v.rawInt()));
        case BasicType::Ref: return basicNot(*v.rawRef());
        default: return BasicValue::longValue(~basicToLong(v));
    }
}

namespace {

constexpr BasicOp kConstantForms[][2] = {
    {BasicOp::Add, BasicOp::AddK}, {BasicOp::Sub, BasicOp::SubK}, {BasicOp::Mul, BasicOp::MulK},
    {BasicOp::Mod, BasicOp::ModK}, {BasicOp::IDiv, BasicOp::IDivK}, {BasicOp::Eq, BasicOp::EqK},
    {BasicOp::Ne, BasicOp::NeK},   {BasicOp::Lt, BasicOp::LtK},   {BasicOp::Gt, BasicOp::GtK},
    {BasicOp::Le, BasicOp::LeK},   {BasicOp::Ge, BasicOp::GeK},
};
constexpr BasicOp kLocalForms[][2] = {
    {BasicOp::Add, BasicOp::AddL}, {BasicOp::Sub, BasicOp::SubL}, {BasicOp::Mul, BasicOp::MulL},
    {BasicOp::Eq, BasicOp::EqL},   {BasicOp::Ne, BasicOp::NeL},   {BasicOp::Lt, BasicOp::LtL},
    {BasicOp::Gt, BasicOp::GtL},   {BasicOp::Le, BasicOp::LeL},   {BasicOp::Ge, BasicOp::GeL},
};

}  // namespace

BasicOp basicFusedOp(BasicOp op, bool local) {
    if (local) {
        for (const auto& f : kLocalForms)
            if (f[0] == op) return f[1];
    } else {
        for (const auto& f : kConstantForms)
            if (f[0] == op) return f[1];
    }
    return BasicOp::End;
}

}  // namespace kestrune
