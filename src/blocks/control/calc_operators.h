#pragma once
// The arithmetic of the single operator calculation block: 25 operators on one
// or two operands, computed in 32-bit integers or in floating point.
//
// Every operator produces either an integer or a float result, and the output
// is that result converted to the block's result type. The last float result
// is kept: an operator whose operand is outside its domain ("sqrt" of a
// negative number) leaves it as it was, so the output repeats the previous
// result. A float result that is NaN (a NaN operand, infinity minus infinity)
// counts as outside the domain too, so the block never publishes NaN.
//
// Integer arithmetic never overflows: results beyond the 32-bit range
// saturate at the nearest limit (so INT_MIN / -1 gives INT_MAX and "abs" of
// INT_MIN gives INT_MAX); INT_MIN "mod" -1 is 0. Floats become integers by
// truncation toward zero, saturating, with NaN giving 0.
//
// Not thread-safe: the owning task's thread is the only caller while running.

#include <cstdint>
#include <string_view>

#include "platform/status.h"

namespace kestrune {

enum class CalcOperator : std::uint16_t {
    Nop = 0,
    Add = 1,
    Subtract = 2,
    Multiply = 3,
    Divide = 4,
    Pow = 5,
    Mod = 6,
    And = 7,
    Or = 8,
    Xor = 9,
    Max = 10,
    Min = 11,
    GreaterEqual = 12,
    LessEqual = 13,
    Greater = 14,
    Less = 15,
    Equal = 16,
    NotEqual = 17,
    Abs = 18,  // this and every later operator takes operand 1 only
    Not = 19,
    Inv = 20,
    Sqrt = 21,
    Log = 22,
    Ln = 23,
    Exp = 24,
    Jct = 25,
};

inline constexpr std::uint16_t kCalcOperatorCount = 26;

enum class CalcResultType : std::uint16_t { Integer = 1, Float = 2 };

// How an operand is given in the block's record.
enum class CalcOperandKind : std::uint16_t { IntegerConstant = 1, FloatConstant = 2, Wired = 0x1111 };

// The block's output: an integer when the result type is Integer, else a float.
// Both fields always hold the output, the other one converted.
struct CalcOutput {
    CalcResultType type = CalcResultType::Integer;
    std::int32_t integer = 0;
    float real = 0.0f;

    // What the block's tag (always a float) is given.
    float tagValue() const { return type == CalcResultType::Integer ? static_cast<float>(integer) : real; }
};

class CalcOperators {
  public:
    // Float division and "inv" treat a divisor this close to 0 as zero.
    static constexpr double kDivisorEpsilon = 0.00001;

    // The text shown for an operator index; empty for an unknown index.
    static std::string_view text(std::uint16_t op);
    // Whether the operator uses "Operand 2" (indices 1 to 17).
    static bool takesSecondOperand(std::uint16_t op);
    // Floating point is used when either operand is a float constant or wired
    // to an analog source, or when the result type is Floating Point (or any
    // value other than Integer, as the output then is a float too).
    static bool computesInFloat(CalcOperandKind kind1, bool source1Analog, CalcOperandKind kind2,
                                bool source2Analog, CalcResultType resultType);
    // Float to integer as the block converts: truncation toward zero, saturating
    // at the 32-bit limits, NaN giving 0.
    static std::int32_t truncate(double value);

    // Any index is accepted; one outside the table does nothing, like "nop".
    explicit CalcOperators(std::uint16_t op = 1, CalcResultType resultType = CalcResultType::Integer);

    std::uint16_t op() const { return op_; }
    CalcResultType resultType() const { return resultType_; }

    // Run start: the kept float result and the output become 0.
    void start();

    // One scan in integer mode or in float mode. On a division by zero they
    // return kMsgDivisionByZero and change nothing; otherwise kOk.
    Code evaluateInteger(std::int32_t x, std::int32_t y);
    Code evaluateFloat(double x, double y);

    const CalcOutput& output() const { return output_; }

  private:
    void publish(double value);
    void takeInteger(std::int32_t value);
    void takeFloat(double value);

    std::uint16_t op_;
    CalcResultType resultType_;
    float floatResult_ = 0.0f;
    CalcOutput output_;
};

}  // namespace kestrune
