#include "blocks/control/calc_operators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "resources/message_ids.h"

namespace kestrune {
namespace {

using Op = CalcOperator;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint16_t idx(Op op) {
    return static_cast<std::uint16_t>(op);
}

// ---- integer mode -------------------------------------------------------

struct IntegerCase {
    Op op;
    std::int32_t x;
    std::int32_t y;
    std::int32_t expected;
};

std::ostream& operator<<(std::ostream& os, const IntegerCase& c) {
    return os << CalcOperators::text(idx(c.op)) << "(" << c.x << ", " << c.y << ")";
}

class CalcIntegerMode : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(CalcIntegerMode, GivesTheIntegerResult) {
    const IntegerCase& c = GetParam();
    CalcOperators calc(idx(c.op), CalcResultType::Integer);
    ASSERT_EQ(calc.evaluateInteger(c.x, c.y), kOk);
    EXPECT_EQ(calc.output().integer, c.expected);
    EXPECT_FLOAT_EQ(calc.output().tagValue(), static_cast<float>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    EveryOperator, CalcIntegerMode,
    ::testing::Values(
        IntegerCase{Op::Add, 7, 2, 9}, IntegerCase{Op::Subtract, 7, 2, 5},
        IntegerCase{Op::Multiply, 7, -2, -14}, IntegerCase{Op::Divide, 7, 2, 3},
        IntegerCase{Op::Divide, -7, 2, -3}, IntegerCase{Op::Pow, 3, 4, 81}, IntegerCase{Op::Pow, 2, -1, 0},
        IntegerCase{Op::Pow, -2, 3, -8}, IntegerCase{Op::Pow, 0, 0, 1}, IntegerCase{Op::Mod, -7, 2, -1},
        IntegerCase{Op::Mod, 7, -2, 1}, IntegerCase{Op::And, 3, 0, 0}, IntegerCase{Op::And, 3, -1, 1},
        IntegerCase{Op::Or, 0, 0, 0}, IntegerCase{Op::Or, 0, 5, 1}, IntegerCase{Op::Xor, 1, 1, 0},
        IntegerCase{Op::Xor, 2, 0, 1}, IntegerCase{Op::Max, 3, -4, 3}, IntegerCase{Op::Min, 3, -4, -4},
        IntegerCase{Op::GreaterEqual, 2, 2, 1}, IntegerCase{Op::GreaterEqual, 1, 2, 0},
        IntegerCase{Op::LessEqual, 3, 2, 0}, IntegerCase{Op::LessEqual, 2, 2, 1},
        IntegerCase{Op::Greater, 3, 2, 1}, IntegerCase{Op::Greater, 2, 2, 0}, IntegerCase{Op::Less, 3, 2, 0},
        IntegerCase{Op::Less, -3, 2, 1}, IntegerCase{Op::Equal, 5, 5, 1}, IntegerCase{Op::Equal, 5, 6, 0},
        IntegerCase{Op::NotEqual, 5, 5, 0}, IntegerCase{Op::NotEqual, 5, 6, 1},
        IntegerCase{Op::Abs, -9, 99, 9}, IntegerCase{Op::Not, 0, 99, 1}, IntegerCase{Op::Not, 4, 0, 0},
        IntegerCase{Op::Inv, 1, 0, 1}, IntegerCase{Op::Inv, 4, 0, 0},  // 0.25 truncated
        IntegerCase{Op::Sqrt, 17, 0, 4}, IntegerCase{Op::Log, 1000, 0, 3}, IntegerCase{Op::Ln, 20, 0, 2},
        IntegerCase{Op::Exp, 2, 0, 7}, IntegerCase{Op::Jct, -12, 5, -12}));

// Results beyond 32 bits saturate instead of wrapping (or trapping).
INSTANTIATE_TEST_SUITE_P(
    Overflow, CalcIntegerMode,
    ::testing::Values(IntegerCase{Op::Add, kMax, 1, kMax}, IntegerCase{Op::Subtract, kMin, 1, kMin},
                      IntegerCase{Op::Multiply, 65536, 65536, kMax},
                      IntegerCase{Op::Multiply, -65536, 65536, kMin}, IntegerCase{Op::Divide, kMin, -1, kMax},
                      IntegerCase{Op::Mod, kMin, -1, 0}, IntegerCase{Op::Abs, kMin, 0, kMax},
                      IntegerCase{Op::Pow, 2, 31, kMax}, IntegerCase{Op::Pow, -2, 31, kMin},
                      IntegerCase{Op::Pow, 10, 100, kMax}, IntegerCase{Op::Xor, kMin, kMin, 0}));

// ---- float mode ---------------------------------------------------------

struct FloatCase {
    Op op;
    float x;
    float y;
    float expected;
};

std::ostream& operator<<(std::ostream& os, const FloatCase& c) {
    return os << CalcOperators::text(idx(c.op)) << "(" << c.x << ", " << c.y << ")";
}

class CalcFloatMode : public ::testing::TestWithParam<FloatCase> {};

TEST_P(CalcFloatMode, GivesTheFloatResult) {
    const FloatCase& c = GetParam();
    CalcOperators calc(idx(c.op), CalcResultType::Float);
    ASSERT_EQ(calc.evaluateFloat(c.x, c.y), kOk);
    EXPECT_FLOAT_EQ(calc.output().real, c.expected);
    EXPECT_FLOAT_EQ(calc.output().tagValue(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryOperator, CalcFloatMode,
    ::testing::Values(FloatCase{Op::Add, 7.0f, 2.5f, 9.5f}, FloatCase{Op::Subtract, 7.0f, 2.5f, 4.5f},
                      FloatCase{Op::Multiply, 1.5f, -2.0f, -3.0f}, FloatCase{Op::Divide, 7.0f, 2.0f, 3.5f},
                      FloatCase{Op::Pow, 2.0f, 0.5f, 1.41421356f}, FloatCase{Op::Pow, 2.0f, -2.0f, 0.25f},
                      FloatCase{Op::Mod, 7.9f, 2.2f, 1.0f},  // 7 mod 2
                      FloatCase{Op::Mod, -7.0f, 2.0f, -1.0f}, FloatCase{Op::And, 0.5f, 1.0f, 0.0f},
                      FloatCase{Op::And, 1.5f, -2.0f, 1.0f}, FloatCase{Op::Or, 0.5f, 0.0f, 0.0f},
                      FloatCase{Op::Or, 0.0f, -1.0f, 1.0f}, FloatCase{Op::Xor, 1.5f, 0.0f, 1.0f},
                      FloatCase{Op::Xor, 1.5f, 2.5f, 0.0f}, FloatCase{Op::Max, 2.5f, -1.0f, 2.5f},
                      FloatCase{Op::Min, 2.5f, -1.0f, -1.0f}, FloatCase{Op::GreaterEqual, 2.5f, 2.5f, 1.0f},
                      FloatCase{Op::LessEqual, 2.6f, 2.5f, 0.0f}, FloatCase{Op::Greater, 2.6f, 2.5f, 1.0f},
                      FloatCase{Op::Less, 1.5f, 2.5f, 1.0f}, FloatCase{Op::Equal, 0.1f, 0.1f, 1.0f},
                      FloatCase{Op::NotEqual, 0.1f, 0.2f, 1.0f}, FloatCase{Op::Abs, -2.5f, 0.0f, 2.5f},
                      FloatCase{Op::Not, 0.7f, 0.0f, 1.0f}, FloatCase{Op::Not, -1.2f, 0.0f, 0.0f},
                      FloatCase{Op::Inv, 4.0f, 0.0f, 0.25f}, FloatCase{Op::Sqrt, 2.0f, 0.0f, 1.41421356f},
                      FloatCase{Op::Log, 100.0f, 0.0f, 2.0f}, FloatCase{Op::Ln, 2.718281828f, 0.0f, 1.0f},
                      FloatCase{Op::Exp, 1.0f, 0.0f, 2.718281828f}, FloatCase{Op::Jct, 3.25f, 9.0f, 3.25f}));

// ---- division by zero ---------------------------------------------------

class CalcDivisionByZero : public ::testing::Test {
  protected:
    // A successful scan first, so that "unchanged" is visible.
    static void expectRefused(Op op, std::int32_t goodX, std::int32_t goodY, std::int32_t x, std::int32_t y) {
        CalcOperators calc(idx(op), CalcResultType::Integer);
        ASSERT_EQ(calc.evaluateInteger(goodX, goodY), kOk);
        const CalcOutput before = calc.output();
        EXPECT_EQ(calc.evaluateInteger(x, y), kMsgDivisionByZero);
        EXPECT_EQ(calc.output().integer, before.integer);
        EXPECT_EQ(calc.output().real, before.real);
    }
    static void expectRefusedFloat(Op op, double goodX, double goodY, double x, double y) {
        CalcOperators calc(idx(op), CalcResultType::Float);
        ASSERT_EQ(calc.evaluateFloat(goodX, goodY), kOk);
        const float before = calc.output().real;
        EXPECT_EQ(calc.evaluateFloat(x, y), kMsgDivisionByZero) << x << ", " << y;
        EXPECT_EQ(calc.output().real, before);
    }
};

TEST_F(CalcDivisionByZero, IntegerDivisorZero) {
    expectRefused(Op::Divide, 7, 2, 7, 0);
    expectRefused(Op::Divide, 7, 2, kMin, 0);
    expectRefused(Op::Mod, 7, 2, 7, 0);
    expectRefused(Op::Inv, 4, 0, 0, 0);
    expectRefused(Op::Pow, 2, 3, 0, -1);
}

TEST_F(CalcDivisionByZero, FloatDivisorWithinTheEpsilon) {
    expectRefusedFloat(Op::Divide, 7, 2, 7, 0.0);
    expectRefusedFloat(Op::Divide, 7, 2, 7, 0.00001);
    expectRefusedFloat(Op::Divide, 7, 2, 7, -0.00001);
    expectRefusedFloat(Op::Divide, 7, 2, 7, 0.00001f);  // what a float input delivers
    expectRefusedFloat(Op::Inv, 4, 0, 0.000005, 0);
    expectRefusedFloat(Op::Mod, 7, 2, 7, 0.5);  // truncates to 0
    expectRefusedFloat(Op::Pow, 2, 3, 0.0, -0.5);
}

TEST_F(CalcDivisionByZero, DivisorJustOutsideTheEpsilonDivides) {
    CalcOperators calc(idx(Op::Divide), CalcResultType::Float);
    EXPECT_EQ(calc.evaluateFloat(1.0, 0.0000125), kOk);
    EXPECT_FLOAT_EQ(calc.output().real, 80000.0f);
}

// ---- domains, NaN and the kept result -------------------------------------

TEST(CalcDomain, SqrtOfNegativeKeepsThePreviousOutput) {
    CalcOperators calc(idx(Op::Sqrt), CalcResultType::Float);
    ASSERT_EQ(calc.evaluateFloat(-4.0, 0.0), kOk);
    EXPECT_EQ(calc.output().real, 0.0f);  // nothing computed yet
    calc.evaluateFloat(16.0, 0.0);
    ASSERT_EQ(calc.evaluateFloat(-4.0, 0.0), kOk);
    EXPECT_EQ(calc.output().real, 4.0f);
    calc.start();
    calc.evaluateFloat(-4.0, 0.0);
    EXPECT_EQ(calc.output().real, 0.0f);
}

TEST(CalcDomain, LogarithmsNeedPositiveOperands) {
    for (Op op : {Op::Log, Op::Ln}) {
        CalcOperators calc(idx(op), CalcResultType::Float);
        calc.evaluateFloat(1.0, 0.0);  // 0 either way
        calc.evaluateFloat(10.0, 0.0);
        const float before = calc.output().real;
        EXPECT_GT(before, 0.0f);
        calc.evaluateFloat(0.0, 0.0);
        EXPECT_EQ(calc.output().real, before);
        calc.evaluateFloat(-3.0, 0.0);
        EXPECT_EQ(calc.output().real, before);
    }
}

TEST(CalcDomain, FractionalPowerOfNegativeKeepsThePreviousOutput) {
    CalcOperators calc(idx(Op::Pow), CalcResultType::Float);
    calc.evaluateFloat(9.0, 0.5);
    calc.evaluateFloat(-8.0, 0.5);
    EXPECT_FLOAT_EQ(calc.output().real, 3.0f);
}

TEST(CalcDomain, NaNOperandsNeverReachTheOutput) {
    CalcOperators add(idx(Op::Add), CalcResultType::Float);
    add.evaluateFloat(1.0, 2.0);
    add.evaluateFloat(kNaN, 2.0);
    EXPECT_EQ(add.output().real, 3.0f);

    CalcOperators greater(idx(Op::Greater), CalcResultType::Float);
    greater.evaluateFloat(kNaN, 1.0);
    EXPECT_EQ(greater.output().real, 0.0f);
    CalcOperators notEqual(idx(Op::NotEqual), CalcResultType::Float);
    notEqual.evaluateFloat(kNaN, kNaN);
    EXPECT_EQ(notEqual.output().real, 1.0f);
}

TEST(CalcDomain, FloatOverflowIsInfinityOrSaturates) {
    CalcOperators real(idx(Op::Exp), CalcResultType::Float);
    real.evaluateFloat(100.0, 0.0);
    EXPECT_TRUE(std::isinf(real.output().real));
    CalcOperators integer(idx(Op::Exp), CalcResultType::Integer);
    integer.evaluateFloat(100.0, 0.0);
    EXPECT_EQ(integer.output().integer, kMax);
}

// ---- result type and mode -------------------------------------------------

TEST(CalcResultTypeConversion, FloatConstantWithIntegerResultTruncates) {
    ASSERT_TRUE(CalcOperators::computesInFloat(CalcOperandKind::FloatConstant, false,
                                               CalcOperandKind::IntegerConstant, false,
                                               CalcResultType::Integer));
    CalcOperators calc(idx(Op::Add), CalcResultType::Integer);
    ASSERT_EQ(calc.evaluateFloat(2.7f, 0), kOk);
    EXPECT_EQ(calc.output().integer, 2);
    EXPECT_EQ(calc.output().tagValue(), 2.0f);
    calc.evaluateFloat(-7.0, 2.0);  // -5 exactly
    EXPECT_EQ(calc.output().integer, -5);
}

TEST(CalcResultTypeConversion, DivisionDependsOnTheMode) {
    CalcOperators integer(idx(Op::Divide), CalcResultType::Integer);
    integer.evaluateInteger(7, 2);
    EXPECT_EQ(integer.output().tagValue(), 3.0f);
    CalcOperators real(idx(Op::Divide), CalcResultType::Float);
    real.evaluateFloat(7, 2);
    EXPECT_EQ(real.output().tagValue(), 3.5f);
    CalcOperators truncated(idx(Op::Divide), CalcResultType::Integer);
    truncated.evaluateFloat(-7, 2);  // float mode, integer result: toward zero
    EXPECT_EQ(truncated.output().integer, -3);
}

TEST(CalcResultTypeConversion, ModeFollowsOperandsAndResultType) {
    using K = CalcOperandKind;
    const auto integer = CalcResultType::Integer;
    EXPECT_FALSE(
        CalcOperators::computesInFloat(K::IntegerConstant, false, K::IntegerConstant, false, integer));
    EXPECT_FALSE(CalcOperators::computesInFloat(K::Wired, false, K::IntegerConstant, false, integer));
    EXPECT_TRUE(CalcOperators::computesInFloat(K::Wired, true, K::IntegerConstant, false, integer));
    EXPECT_TRUE(CalcOperators::computesInFloat(K::IntegerConstant, false, K::Wired, true, integer));
    EXPECT_TRUE(CalcOperators::computesInFloat(K::IntegerConstant, false, K::FloatConstant, false, integer));
    EXPECT_TRUE(CalcOperators::computesInFloat(K::IntegerConstant, false, K::IntegerConstant, false,
                                               CalcResultType::Float));
    // The analog flag means nothing for a constant.
    EXPECT_FALSE(CalcOperators::computesInFloat(K::IntegerConstant, true, K::IntegerConstant, true, integer));
}

TEST(CalcResultTypeConversion, TruncationSaturatesAndMapsNaNToZero) {
    EXPECT_EQ(CalcOperators::truncate(2.9), 2);
    EXPECT_EQ(CalcOperators::truncate(-2.9), -2);
    EXPECT_EQ(CalcOperators::truncate(3e9), kMax);
    EXPECT_EQ(CalcOperators::truncate(-3e9), kMin);
    EXPECT_EQ(CalcOperators::truncate(-2147483648.5), kMin);
    EXPECT_EQ(CalcOperators::truncate(kNaN), 0);
    EXPECT_EQ(CalcOperators::truncate(-std::numeric_limits<double>::infinity()), kMin);
}

// ---- the table and the operators that do nothing --------------------------

TEST(CalcTable, TextsAndOperandCount) {
    std::set<std::string> texts;
    for (std::uint16_t op = 0; op < kCalcOperatorCount; ++op)
        texts.insert(std::string(CalcOperators::text(op)));
    EXPECT_EQ(texts.size(), kCalcOperatorCount);
    EXPECT_EQ(CalcOperators::text(3), "x");
    EXPECT_EQ(CalcOperators::text(16), "equ");
    EXPECT_EQ(CalcOperators::text(25), "jct");
    EXPECT_EQ(CalcOperators::text(26), "");
    EXPECT_FALSE(CalcOperators::takesSecondOperand(0));
    for (std::uint16_t op = 1; op <= 17; ++op) EXPECT_TRUE(CalcOperators::takesSecondOperand(op)) << op;
    for (std::uint16_t op = 18; op <= 26; ++op) EXPECT_FALSE(CalcOperators::takesSecondOperand(op)) << op;
}

TEST(CalcTable, NopAndUnknownIndicesChangeNothing) {
    for (std::uint16_t op : {std::uint16_t{0}, std::uint16_t{26}, std::uint16_t{0xFFFF}}) {
        CalcOperators calc(op, CalcResultType::Float);
        EXPECT_EQ(calc.evaluateFloat(5.0, 0.0), kOk);
        EXPECT_EQ(calc.evaluateInteger(5, 0), kOk);
        EXPECT_EQ(calc.output().real, 0.0f);
        EXPECT_EQ(calc.output().integer, 0);
    }
}

}  // namespace
}  // namespace kestrune
