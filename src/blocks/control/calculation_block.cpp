#include "blocks/control/calculation_block.h"

#include <bit>
#include <string>
#include <vector>

#include "resources/message_ids.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/value_conversion.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

constexpr std::array<ControlInput, 2> kInputs{{{"Operand 1", kMaskScalar}, {"Operand 2", kMaskScalar}}};

DataType outputTypeFor(CalcResultType type) {
    return type == CalcResultType::Integer ? kTypeInteger : kTypeFloat;
}

// Only 1 is Integer; the arithmetic computes any other result type in
// floating point, so a stray value in a file is taken as Floating Point.
CalcResultType resultTypeFrom(std::uint16_t stored) {
    return stored == static_cast<std::uint16_t>(CalcResultType::Integer) ? CalcResultType::Integer
                                                                         : CalcResultType::Float;
}

std::vector<PropertyChoice> operatorChoices() {
    std::vector<PropertyChoice> choices;
    for (std::uint16_t op = 0; op < kCalcOperatorCount; ++op) {
        choices.push_back({op, std::string(CalcOperators::text(op))});
    }
    return choices;
}

bool takesFirstOperandOnly(std::uint16_t op) {
    return op >= static_cast<std::uint16_t>(CalcOperator::Abs);
}

}  // namespace

CalculationBlock::CalculationBlock(const NodeContext& context)
    : ControlBlock(context, kCalculationKind, kInputs, outputTypeFor(CalcResultType::Integer)) {}

void CalculationBlock::CopyTo(GraphObject& other) const {
    Block::CopyTo(other);
    auto* target = dynamic_cast<CalculationBlock*>(&other);
    if (target == nullptr) return;
    target->op_ = op_;
    target->setResultType(resultType_);
    // The copy has no wires of its own: a wired operand becomes a constant there.
    for (std::size_t i = 0; i < kOperandCount; ++i) {
        CalcOperand operand = operands_[i];
        if (operand.kind == CalcOperandKind::Wired && !target->isWired(i)) {
            operand.kind = CalcOperandKind::IntegerConstant;
        }
        target->operands_[i] = operand;
    }
}

void CalculationBlock::setResultType(CalcResultType type) {
    resultType_ = type;
    if (!isRunning()) retypeOutput();
}

void CalculationBlock::retypeOutput() {
    const DataType type = outputTypeFor(resultType_);
    OutputPort& port = outputs()[0];
    if (port.dataType == type && outputValue(0)->dataType() == type) return;
    port.dataType = type;
    outputValue(0)->reset(type);
}

const CalcOperand* CalculationBlock::operand(std::size_t index) const {
    return index < kOperandCount ? &operands_[index] : nullptr;
}

void CalculationBlock::setOperand(std::size_t index, const CalcOperand& operand) {
    if (index < kOperandCount) operands_[index] = operand;
}

void CalculationBlock::InputWireAdded(Wire& wire) {
    if (wire.targetInput() < kOperandCount) operands_[wire.targetInput()].kind = CalcOperandKind::Wired;
}

void CalculationBlock::DisconnectInput(Wire& wire) {
    ControlBlock::DisconnectInput(wire);
    if (wire.targetInput() < kOperandCount) {
        operands_[wire.targetInput()].kind = CalcOperandKind::IntegerConstant;
    }
}

std::string CalculationBlock::operandText(std::size_t index) const {
    const CalcOperand* o = operand(index);
    if (o == nullptr) return {};
    switch (o->kind) {
        case CalcOperandKind::Wired:
            return sourceName(index);
        case CalcOperandKind::FloatConstant:
            return FormatFloat(o->real);
        default:
            return FormatInteger(o->integer);
    }
}

void CalculationBlock::setOperandText(std::size_t index, std::string_view text) {
    if (index >= kOperandCount || operands_[index].kind == CalcOperandKind::Wired) return;
    CalcOperand& o = operands_[index];
    if (text.find('.') != std::string_view::npos) {
        o.kind = CalcOperandKind::FloatConstant;
        o.real = ParseFloat(text);
    } else {
        o.kind = CalcOperandKind::IntegerConstant;
        o.integer = ParseInteger(text);
    }
}

// ---- run ----

bool CalculationBlock::sourceIsAnalog(std::size_t index) const {
    const OutputValue* value = inputValue(index);
    return value != nullptr && elementType(value->dataType()) == kTypeFloat;
}

Code CalculationBlock::OnStart() {
    floatMode_ = CalcOperators::computesInFloat(operands_[0].kind, sourceIsAnalog(0), operands_[1].kind,
                                                sourceIsAnalog(1), resultType_);
    calc_ = CalcOperators(op_, resultType_);
    retypeOutput();
    outputValue(0)->setInteger(0);
    tagValue_.setFloat(0.0f);
    return kOk;
}

double CalculationBlock::floatOperand(std::size_t index) {
    const CalcOperand& o = operands_[index];
    switch (o.kind) {
        case CalcOperandKind::Wired:
            return readNumber(index);
        case CalcOperandKind::FloatConstant:
            return o.real;
        default:
            return o.integer;
    }
}

std::int32_t CalculationBlock::integerOperand(std::size_t index) {
    const CalcOperand& o = operands_[index];
    switch (o.kind) {
        case CalcOperandKind::Wired:
            return readDigital(index, o.integer);
        case CalcOperandKind::FloatConstant:
            return CalcOperators::truncate(o.real);  // only in float mode, which reads floats
        default:
            return o.integer;
    }
}

Code CalculationBlock::Scan() {
    if (!isRunning()) return kOk;
    const Code code = floatMode_ ? calc_.evaluateFloat(floatOperand(0), floatOperand(1))
                                 : calc_.evaluateInteger(integerOperand(0), integerOperand(1));
    if (code != kOk) return code;
    const CalcOutput& out = calc_.output();
    if (out.type == CalcResultType::Integer) {
        outputValue(0)->setInteger(out.integer);
    } else {
        outputValue(0)->setFloat(out.real);
    }
    tagValue_.setFloat(out.tagValue());
    return publishValue();
}

// ---- record ----

Status CalculationBlock::LoadPayload(BinaryReader& in, int, const RecordReader&) {
    op_ = in.u16();
    const CalcResultType type = resultTypeFrom(in.u16());
    for (CalcOperand& o : operands_) {
        const std::uint16_t kind = in.u16();
        const std::uint32_t bits = in.u32();
        if (kind == static_cast<std::uint16_t>(CalcOperandKind::Wired)) {
            o.kind = CalcOperandKind::Wired;
        } else if (kind == static_cast<std::uint16_t>(CalcOperandKind::FloatConstant)) {
            o.kind = CalcOperandKind::FloatConstant;
            o.real = std::bit_cast<float>(bits);
        } else {
            o.kind = CalcOperandKind::IntegerConstant;
            o.integer = static_cast<std::int32_t>(bits);
        }
    }
    setResultType(type);
    return {};
}

Status CalculationBlock::SavePayload(BinaryWriter& out) const {
    out.u16(op_);
    out.u16(static_cast<std::uint16_t>(resultType_));
    for (const CalcOperand& o : operands_) {
        out.u16(static_cast<std::uint16_t>(o.kind));
        switch (o.kind) {
            case CalcOperandKind::Wired:
                out.u32(0);
                break;
            case CalcOperandKind::FloatConstant:
                out.f32(o.real);
                break;
            default:
                out.i32(o.integer);
                break;
        }
    }
    return {};
}

// ---- settings ----

const PropertyTable<CalculationBlock>& CalculationBlock::propertyTable() {
    static const PropertyTable<CalculationBlock> table = [] {
        PropertyTable<CalculationBlock> t;
        addCommonProperties(t);
        const auto operandField = [&t](std::string label, std::size_t index, std::string key) {
            return t
                .addString(
                    std::move(label), [index](const CalculationBlock& b) { return b.operandText(index); },
                    [index](CalculationBlock& b, const std::string& text) { b.setOperandText(index, text); },
                    kMaxStringLength)
                .key(std::move(key));
        };
        operandField("&First operand:", kOperand1, "operand1").enabledWhen([](const CalculationBlock& b) {
            return !b.isWired(kOperand1);
        });
        t.addChoice("&Operator:", &CalculationBlock::op_, operatorChoices())
            .key("operator")
            .defaultValue(std::int64_t{1});
        operandField("&Second operand:", kOperand2, "operand2").enabledWhen([](const CalculationBlock& b) {
            return !b.isWired(kOperand2) && !takesFirstOperandOnly(b.op_);
        });
        t.addChoice(
             "&Result data type:", [](const CalculationBlock& b) { return b.resultType_; },
             [](CalculationBlock& b, CalcResultType type) { b.setResultType(type); },
             {{1, "Integer"}, {2, "Floating Point (Real)"}})
            .key("resultType")
            .defaultValue(std::int64_t{1});
        t.addCheck([](const CalculationBlock& b) -> Status {
            if (takesFirstOperandOnly(b.op_) && b.isWired(kOperand2)) {
                return {kMsgInvalidParameters, "First operand only, please remove the second one."};
            }
            return {};
        });
        return t;
    }();
    return table;
}

}  // namespace kestrune
