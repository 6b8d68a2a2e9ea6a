#pragma once
// The single operator calculation block ("SOC%d", record "BSOC"): one of the
// operators of CalcOperators on "Operand 1" and "Operand 2", each a wired
// input or a constant, computed in integers or in floating point. The output
// is an integer when the result type is Integer, a float otherwise (the port
// changes type with it); the tag is always a float.
//
// Each operand keeps its own integer and float constant. The record has room
// for one value per operand, so files are unchanged; keeping a single float
// and a single integer constant for both operands would make a second typed
// constant silently replace the first.
//
// A division by zero returns 34254 at once and leaves the output and the tag
// as they were; the run-error report names the task and the tag.

#include <array>
#include <cstdint>

#include "blocks/control/calc_operators.h"
#include "blocks/control/control_block.h"
#include "taskmodel/output_value.h"

namespace kestrune {

struct CalcOperand {
    CalcOperandKind kind = CalcOperandKind::IntegerConstant;
    std::int32_t integer = 0;
    float real = 0.0f;

    friend bool operator==(const CalcOperand&, const CalcOperand&) = default;
};

class CalculationBlock : public ControlBlock {
  public:
    enum Input : std::size_t { kOperand1 = 0, kOperand2 = 1 };
    static constexpr std::size_t kOperandCount = 2;

    explicit CalculationBlock(const NodeContext& context);

    void CopyTo(GraphObject& other) const override;
    Code Scan() override;
    // Wiring an operand makes it the wired kind; removing the wire makes it
    // the integer constant again.
    void InputWireAdded(Wire& wire) override;
    void DisconnectInput(Wire& wire) override;
    PropertySet properties() override { return propertyTable().bind(*this); }
    static const PropertyTable<CalculationBlock>& propertyTable();

    std::uint16_t op() const { return op_; }
    void setOperator(std::uint16_t op) { op_ = op; }
    CalcResultType resultType() const { return resultType_; }
    // Retypes the output (integer or float) unless the block is running, in
    // which case the next Start does it: consumers may be reading the value.
    void setResultType(CalcResultType type);
    // nullptr beyond the two operands.
    const CalcOperand* operand(std::size_t index) const;
    void setOperand(std::size_t index, const CalcOperand& operand);
    // Whether the last Start chose floating point.
    bool computesInFloat() const { return floatMode_; }

    // The operand as the dialog shows it: the source when wired, else the
    // constant ("%f" or "%ld").
    std::string operandText(std::size_t index) const;
    // A typed constant: with a '.' a float, otherwise an integer (read like
    // atof / atol). A wired operand keeps its source.
    void setOperandText(std::size_t index, std::string_view text);

  protected:
    // The record: operator, result type (u16 each), then per operand its kind
    // (u16) and 4 bytes: 0 when wired, the float when a float constant, else
    // the integer.
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    Code OnStart() override;
    const OutputValue* TagValue() const override { return &tagValue_; }

  private:
    void retypeOutput();
    bool sourceIsAnalog(std::size_t index) const;
    double floatOperand(std::size_t index);
    std::int32_t integerOperand(std::size_t index);

    std::uint16_t op_ = static_cast<std::uint16_t>(CalcOperator::Add);
    CalcResultType resultType_ = CalcResultType::Integer;
    std::array<CalcOperand, kOperandCount> operands_{};

    CalcOperators calc_;
    bool floatMode_ = false;
    OutputValue tagValue_{kTypeFloat};
};

}  // namespace kestrune
