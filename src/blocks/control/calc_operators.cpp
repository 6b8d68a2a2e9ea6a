#include "blocks/control/calc_operators.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

using Limits = std::numeric_limits<std::int32_t>;

constexpr std::array<std::string_view, kCalcOperatorCount> kTexts = {
    "nop", "+", "-", "x",   "/",   "pow", "mod", "and", "or",   "xor", "max", "min", ">=",
    "<=",  ">", "<", "equ", "neq", "abs", "not", "inv", "sqrt", "log", "ln",  "exp", "jct",
};

std::int32_t saturate(std::int64_t value) {
    if (value > Limits::max()) return Limits::max();
    if (value < Limits::min()) return Limits::min();
    return static_cast<std::int32_t>(value);
}

// The comparisons give 1 or 0 in both modes; -1 marks any other operator.
template <typename T>
int compare(CalcOperator op, T x, T y) {
    switch (op) {
        case CalcOperator::GreaterEqual:
            return x >= y ? 1 : 0;
        case CalcOperator::LessEqual:
            return x <= y ? 1 : 0;
        case CalcOperator::Greater:
            return x > y ? 1 : 0;
        case CalcOperator::Less:
            return x < y ? 1 : 0;
        case CalcOperator::Equal:
            return x == y ? 1 : 0;
        case CalcOperator::NotEqual:
            return x != y ? 1 : 0;
        default:
            return -1;
    }
}

// The logical operators work on integers in both modes (a float operand is
// truncated first) and give 1 or 0; -1 marks any other operator.
int logic(CalcOperator op, std::int32_t x, std::int32_t y) {
    switch (op) {
        case CalcOperator::And:
            return (x != 0 && y != 0) ? 1 : 0;
        case CalcOperator::Or:
            return (x != 0 || y != 0) ? 1 : 0;
        case CalcOperator::Xor:
            return ((x != 0) != (y != 0)) ? 1 : 0;
        case CalcOperator::Not:
            return x == 0 ? 1 : 0;
        default:
            return -1;
    }
}

bool isFunction(CalcOperator op) {
    return op == CalcOperator::Sqrt || op == CalcOperator::Log || op == CalcOperator::Ln ||
           op == CalcOperator::Exp;
}

// "sqrt", "log", "ln" and "exp"; NaN outside the domain, where the block keeps
// its previous float result. log(0) would be -infinity, so 0 is outside too.
double function(CalcOperator op, double x) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    switch (op) {
        case CalcOperator::Sqrt:
            return x >= 0.0 ? std::sqrt(x) : kNaN;
        case CalcOperator::Log:
            return x > 0.0 ? std::log10(x) : kNaN;
        case CalcOperator::Ln:
            return x > 0.0 ? std::log(x) : kNaN;
        default:
            return std::exp(x);
    }
}

}  // namespace

std::string_view CalcOperators::text(std::uint16_t op) {
    return op < kCalcOperatorCount ? kTexts[op] : "";
}

bool CalcOperators::takesSecondOperand(std::uint16_t op) {
    return op >= static_cast<std::uint16_t>(CalcOperator::Add) &&
           op < static_cast<std::uint16_t>(CalcOperator::Abs);
}

bool CalcOperators::computesInFloat(CalcOperandKind kind1, bool source1Analog, CalcOperandKind kind2,
                                    bool source2Analog, CalcResultType resultType) {
    auto isFloat = [](CalcOperandKind kind, bool analog) {
        return kind == CalcOperandKind::FloatConstant || (kind == CalcOperandKind::Wired && analog);
    };
    return isFloat(kind1, source1Analog) || isFloat(kind2, source2Analog) ||
           resultType != CalcResultType::Integer;
}

std::int32_t CalcOperators::truncate(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0) return Limits::max();
    if (value <= -2147483649.0) return Limits::min();
    return static_cast<std::int32_t>(value);
}

CalcOperators::CalcOperators(std::uint16_t op, CalcResultType resultType) : op_(op), resultType_(resultType) {
    start();
}

void CalcOperators::start() {
    floatResult_ = 0.0f;
    output_ = CalcOutput{resultType_, 0, 0.0f};
}

void CalcOperators::publish(double value) {
    if (resultType_ == CalcResultType::Integer) {
        output_.integer = truncate(value);
        output_.real = static_cast<float>(output_.integer);
    } else {
        output_.real = static_cast<float>(value);
        output_.integer = truncate(output_.real);
    }
}

void CalcOperators::takeInteger(std::int32_t value) {
    publish(value);
}

// A NaN (a domain error, or a NaN operand) keeps the previous float result;
// the output repeats it either way, so the block never publishes NaN.
void CalcOperators::takeFloat(double value) {
    if (!std::isnan(value)) floatResult_ = static_cast<float>(value);
    publish(floatResult_);
}

Code CalcOperators::evaluateInteger(std::int32_t x, std::int32_t y) {
    const auto op = static_cast<CalcOperator>(op_);
    const std::int64_t wx = x;
    const std::int64_t wy = y;
    if (const int r = compare(op, x, y); r >= 0) {
        takeInteger(r);
        return kOk;
    }
    if (const int r = logic(op, x, y); r >= 0) {
        takeInteger(r);
        return kOk;
    }
    if (isFunction(op)) {
        takeFloat(function(op, static_cast<double>(x)));
        return kOk;
    }
    switch (op) {
        case CalcOperator::Add:
            takeInteger(saturate(wx + wy));
            break;
        case CalcOperator::Subtract:
            takeInteger(saturate(wx - wy));
            break;
        case CalcOperator::Multiply:
            takeInteger(saturate(wx * wy));
            break;
        case CalcOperator::Divide:
            if (y == 0) return kMsgDivisionByZero;
            takeInteger(saturate(wx / wy));
            break;
        case CalcOperator::Pow:
            // 0 to a negative power is 1 / 0.
            if (x == 0 && y < 0) return kMsgDivisionByZero;
            takeInteger(truncate(std::pow(static_cast<double>(x), static_cast<double>(y))));
            break;
        case CalcOperator::Mod:
            if (y == 0) return kMsgDivisionByZero;
            takeInteger(static_cast<std::int32_t>(wx % wy));
            break;
        case CalcOperator::Max:
            takeInteger(x > y ? x : y);
            break;
        case CalcOperator::Min:
            takeInteger(x < y ? x : y);
            break;
        case CalcOperator::Abs:
            takeInteger(saturate(wx < 0 ? -wx : wx));
            break;
        case CalcOperator::Inv:
            if (x == 0) return kMsgDivisionByZero;
            takeFloat(1.0 / static_cast<double>(x));
            break;
        case CalcOperator::Jct:
            takeInteger(x);
            break;
        default:
            break;  // "nop" and indices outside the table change nothing
    }
    return kOk;
}

Code CalcOperators::evaluateFloat(double x, double y) {
    const auto op = static_cast<CalcOperator>(op_);
    if (const int r = compare(op, x, y); r >= 0) {
        takeInteger(r);
        return kOk;
    }
    if (const int r = logic(op, truncate(x), truncate(y)); r >= 0) {
        takeInteger(r);
        return kOk;
    }
    if (isFunction(op)) {
        takeFloat(function(op, x));
        return kOk;
    }
    switch (op) {
        case CalcOperator::Add:
            takeFloat(x + y);
            break;
        case CalcOperator::Subtract:
            takeFloat(x - y);
            break;
        case CalcOperator::Multiply:
            takeFloat(x * y);
            break;
        case CalcOperator::Divide:
            if (std::fabs(y) <= kDivisorEpsilon) return kMsgDivisionByZero;
            takeFloat(x / y);
            break;
        case CalcOperator::Pow:
            if (x == 0.0 && y < 0.0) return kMsgDivisionByZero;
            // A negative base with a fractional power has no real value: NaN,
            // which keeps the previous result like the other domain errors.
            takeFloat(std::pow(x, y));
            break;
        case CalcOperator::Mod: {
            const std::int64_t xi = truncate(x);
            const std::int64_t yi = truncate(y);
            if (yi == 0) return kMsgDivisionByZero;
            takeInteger(static_cast<std::int32_t>(xi % yi));
            break;
        }
        case CalcOperator::Max:
            takeFloat(x > y ? x : y);
            break;
        case CalcOperator::Min:
            takeFloat(x < y ? x : y);
            break;
        case CalcOperator::Abs:
            takeFloat(std::fabs(x));
            break;
        case CalcOperator::Inv:
            if (std::fabs(x) <= kDivisorEpsilon) return kMsgDivisionByZero;
            takeFloat(1.0 / x);
            break;
        case CalcOperator::Jct:
            takeFloat(x);
            break;
        default:
            break;
    }
    return kOk;
}

}  // namespace kestrune
