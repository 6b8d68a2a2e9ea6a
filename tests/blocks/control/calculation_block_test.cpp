// The single calculation block: its record byte by byte, operands wired or
// constant, the mode chosen at start, the output port following the result
// type, a division by zero, and the dialog's operand texts and check.

#include "blocks/control/calculation_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "control_block_fixture.h"
#include "resources/message_ids.h"

namespace kestrune::control_test {
namespace {

constexpr std::size_t kPayload = 16;

std::uint16_t u16At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24));
}

CalcOperand integerConstant(std::int32_t v) {
    return {CalcOperandKind::IntegerConstant, v, 0.0f};
}
CalcOperand floatConstant(float v) {
    return {CalcOperandKind::FloatConstant, 0, v};
}

class CalculationBlockTest : public ControlBlockTest {
  protected:
    SourceBlock& x = addSource(kTypeInteger);
    SourceBlock& y = addSource(kTypeInteger);
    CalculationBlock& calc = add<CalculationBlock>(kCalculationKind);

    void wireBoth() {
        wire(x, calc, CalculationBlock::kOperand1);
        wire(y, calc, CalculationBlock::kOperand2);
    }
    void run() { start({&x, &y, &calc}); }
};

TEST_F(CalculationBlockTest, RecordHoldsEachOperandsValueByKind) {
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
    calc.setResultType(CalcResultType::Float);
    calc.setOperand(0, floatConstant(2.5f));
    calc.setOperand(1, integerConstant(-7));
    const auto payload = payloadOf(calc, kPayload);
    EXPECT_EQ(u16At(payload, 0), 4);
    EXPECT_EQ(u16At(payload, 2), 2);
    EXPECT_EQ(u16At(payload, 4), 2);
    float real = 0.0f;
    const std::uint32_t bits = u32At(payload, 6);
    std::memcpy(&real, &bits, 4);
    EXPECT_EQ(real, 2.5f);
    EXPECT_EQ(u16At(payload, 10), 1);
    EXPECT_EQ(static_cast<std::int32_t>(u32At(payload, 12)), -7);

    const auto bytes = bytesOf(calc);
    Status status;
    auto loaded = loadInto<CalculationBlock>(kCalculationKind, bytes, status);
    ASSERT_TRUE(status.ok()) << status.context;
    EXPECT_EQ(loaded->op(), 4);
    EXPECT_EQ(loaded->resultType(), CalcResultType::Float);
    EXPECT_EQ(*loaded->operand(0), floatConstant(2.5f));
    EXPECT_EQ(*loaded->operand(1), integerConstant(-7));
    // The output port follows the loaded result type.
    EXPECT_EQ(loaded->output(0)->dataType, kTypeFloat);
    EXPECT_EQ(loaded->outputValue(0)->dataType(), kTypeFloat);
    EXPECT_EQ(bytesOf(*loaded), bytes);
}

TEST_F(CalculationBlockTest, WiredOperandIsStoredAsWiredWithZero) {
    calc.setOperand(0, integerConstant(12));
    wire(x, calc, CalculationBlock::kOperand1);
    EXPECT_EQ(calc.operand(0)->kind, CalcOperandKind::Wired);
    const auto payload = payloadOf(calc, kPayload);
    EXPECT_EQ(u16At(payload, 4), 0x1111);
    EXPECT_EQ(u32At(payload, 6), 0u);

    Status status;
    auto loaded = loadInto<CalculationBlock>(kCalculationKind, bytesOf(calc), status);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->operand(0)->kind, CalcOperandKind::Wired);
}

TEST_F(CalculationBlockTest, RemovingTheWireMakesTheOperandAnIntegerConstant) {
    wire(x, calc, CalculationBlock::kOperand1);
    ASSERT_EQ(calc.incomingWires().items().size(), 1u);
    graph.RemoveWire(*calc.incomingWires().items()[0]);
    EXPECT_EQ(calc.operand(0)->kind, CalcOperandKind::IntegerConstant);
    EXPECT_FALSE(calc.isWired(0));
}

TEST_F(CalculationBlockTest, UnknownKindsAndResultTypesLoadAsSomethingThatRuns) {
    auto bytes = bytesOf(calc);
    const std::size_t at = bytes.size() - kPayload;
    bytes[at + 2] = 9;  // result type 9
    bytes[at + 4] = 7;  // operand kind 7
    Status status;
    auto loaded = loadInto<CalculationBlock>(kCalculationKind, bytes, status);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->resultType(), CalcResultType::Float);
    EXPECT_EQ(loaded->operand(0)->kind, CalcOperandKind::IntegerConstant);
}

TEST_F(CalculationBlockTest, ShortRecordIsALoadErrorLongerOneIsSkipped) {
    auto cut = bytesOf(calc);
    resizeRecord(cut, cut.size() - 3);
    Status status;
    loadInto<CalculationBlock>(kCalculationKind, cut, status);
    EXPECT_EQ(status.code, kRecordLoadError);

    calc.setOperator(3);
    auto longer = bytesOf(calc);
    resizeRecord(longer, longer.size() + 4);
    longer.push_back('B');
    BinaryReader in(longer);
    auto loaded = loadInto<CalculationBlock>(kCalculationKind, longer, status, &in);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->op(), 3);
    EXPECT_EQ(in.u8(), 'B');
}

TEST_F(CalculationBlockTest, IntegerDivisionTruncatesFloatDivisionDoesNot) {
    wireBoth();
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
    x.setInteger(7);
    y.setInteger(2);
    run();
    EXPECT_FALSE(calc.computesInFloat());
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_EQ(calc.outputValue(0)->dataType(), kTypeInteger);
    EXPECT_EQ(calc.outputValue(0)->toInteger(), 3);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 3.0f);

    ASSERT_EQ(calc.Stop(), kOk);
    calc.setResultType(CalcResultType::Float);
    ASSERT_EQ(calc.Start(), kOk);
    EXPECT_TRUE(calc.computesInFloat());
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_EQ(calc.outputValue(0)->dataType(), kTypeFloat);
    EXPECT_FLOAT_EQ(calc.outputValue(0)->toFloat(), 3.5f);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 3.5f);
}

TEST_F(CalculationBlockTest, AnalogSourceChoosesFloatingPoint) {
    SourceBlock& analog = addSource(kTypeFloat);
    wire(analog, calc, CalculationBlock::kOperand1);
    calc.setOperand(1, integerConstant(2));
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Multiply));
    analog.set(1.75f);
    start({&analog, &calc});
    EXPECT_TRUE(calc.computesInFloat());
    ASSERT_EQ(calc.Scan(), kOk);
    // Integer result type: the float product truncated.
    EXPECT_EQ(calc.outputValue(0)->toInteger(), 3);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 3.0f);
}

TEST_F(CalculationBlockTest, FloatConstantPlusIntegerZeroGivesTheTruncatedSum) {
    calc.setOperand(0, floatConstant(2.7f));
    calc.setOperand(1, integerConstant(0));
    start({&calc});
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_EQ(calc.outputValue(0)->toInteger(), 2);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 2.0f);
}

TEST_F(CalculationBlockTest, EachOperandKeepsItsOwnConstant) {
    calc.setResultType(CalcResultType::Float);
    calc.setOperand(0, floatConstant(2.5f));
    calc.setOperand(1, floatConstant(0.25f));
    start({&calc});
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 2.75f);
}

TEST_F(CalculationBlockTest, ModOfNegativeSeven) {
    wireBoth();
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Mod));
    x.setInteger(-7);
    y.setInteger(2);
    run();
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), -1.0f);
}

TEST_F(CalculationBlockTest, DivisionByZeroLeavesOutputAndTagAlone) {
    wireBoth();
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
    x.setInteger(7);
    y.setInteger(1);
    run();
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_EQ(calc.outputValue(0)->toInteger(), 7);
    setTag("SOC1", 99.0f);
    y.setInteger(0);
    EXPECT_EQ(calc.Scan(), kMsgDivisionByZero);
    EXPECT_EQ(calc.outputValue(0)->toInteger(), 7);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 99.0f);
    // The run goes on: the next good scan writes again.
    y.setInteger(7);
    EXPECT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 1.0f);
}

TEST_F(CalculationBlockTest, FloatDivisorWithinTheEpsilonIsAZeroDivisor) {
    SourceBlock& divisor = addSource(kTypeFloat);
    wire(x, calc, CalculationBlock::kOperand1);
    wire(divisor, calc, CalculationBlock::kOperand2);
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
    x.setInteger(1);
    divisor.set(0.00001f);
    start({&x, &divisor, &calc});
    EXPECT_EQ(calc.Scan(), kMsgDivisionByZero);
}

TEST_F(CalculationBlockTest, WiredOperandWithoutSourceCountsZeroOrItsIntegerConstant) {
    calc.setOperand(0, {CalcOperandKind::Wired, 5, 0.0f});
    calc.input(0)->sourceId = 999;  // as a damaged file may leave it
    calc.setOperand(1, integerConstant(1));
    start({&calc});
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 6.0f);

    ASSERT_EQ(calc.Stop(), kOk);
    calc.setResultType(CalcResultType::Float);
    ASSERT_EQ(calc.Start(), kOk);
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 1.0f);
}

TEST_F(CalculationBlockTest, DomainErrorRepeatsThePreviousResult) {
    SourceBlock& analog = addSource(kTypeFloat);
    wire(analog, calc, CalculationBlock::kOperand1);
    calc.setOperator(static_cast<std::uint16_t>(CalcOperator::Sqrt));
    calc.setResultType(CalcResultType::Float);
    analog.set(9.0f);
    start({&analog, &calc});
    ASSERT_EQ(calc.Scan(), kOk);
    analog.set(-4.0f);
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 3.0f);
}

TEST_F(CalculationBlockTest, TextSourceIsReadThroughTheConversions) {
    SourceBlock& text = addSource(kTypeString);
    wire(text, calc, CalculationBlock::kOperand1);
    calc.setOperand(1, integerConstant(1));
    text.setText("41");
    start({&text, &calc});
    ASSERT_EQ(calc.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 42.0f);
}

TEST_F(CalculationBlockTest, ResultTypeRetypesTheOutputOnlyWhileStopped) {
    calc.setResultType(CalcResultType::Float);
    EXPECT_EQ(calc.output(0)->dataType, kTypeFloat);
    start({&calc});
    calc.setResultType(CalcResultType::Integer);
    EXPECT_EQ(calc.outputValue(0)->dataType(), kTypeFloat);  // readers may be inside
    ASSERT_EQ(calc.Stop(), kOk);
    ASSERT_EQ(calc.Start(), kOk);
    EXPECT_EQ(calc.outputValue(0)->dataType(), kTypeInteger);
}

TEST_F(CalculationBlockTest, DialogReadsTypedConstants) {
    auto props = calc.properties();
    const std::size_t first = *props.indexOf("operand1");
    const std::size_t second = *props.indexOf("operand2");
    ASSERT_TRUE(props.setText(first, "2.5").ok());
    EXPECT_EQ(*calc.operand(0), floatConstant(2.5f));
    EXPECT_EQ(props.text(first), "2.500000");
    ASSERT_TRUE(props.setText(second, "12abc").ok());
    EXPECT_EQ(*calc.operand(1), integerConstant(12));
    EXPECT_EQ(props.text(second), "12");
    ASSERT_TRUE(props.setText(second, "1e3").ok());  // no '.': an integer, read like atol
    EXPECT_EQ(*calc.operand(1), integerConstant(1));

    // A wired operand shows its source and keeps it.
    wire(x, calc, CalculationBlock::kOperand1);
    EXPECT_EQ(props.text(first), "TAG1");
    EXPECT_FALSE(props.enabled(first));
    ASSERT_TRUE(props.setText(first, "3").ok());
    EXPECT_EQ(calc.operand(0)->kind, CalcOperandKind::Wired);
}

TEST_F(CalculationBlockTest, DialogRefusesASecondOperandForOneOperandOperators) {
    auto props = calc.properties();
    const std::size_t op = *props.indexOf("operator");
    const std::size_t second = *props.indexOf("operand2");
    EXPECT_EQ(props.text(op), "+");
    const std::vector<PropertySet::Change> abs{{op, std::int64_t{18}}};
    ASSERT_TRUE(props.apply(abs).ok());
    EXPECT_FALSE(props.enabled(second));

    ASSERT_TRUE(props.apply(std::vector<PropertySet::Change>{{op, std::int64_t{1}}}).ok());
    wire(y, calc, CalculationBlock::kOperand2);
    const Status refused = props.apply(abs);
    EXPECT_EQ(refused.code, kMsgInvalidParameters);
    EXPECT_EQ(refused.context, "First operand only, please remove the second one.");
    EXPECT_EQ(calc.op(), 1);  // nothing taken
}

}  // namespace
}  // namespace kestrune::control_test
