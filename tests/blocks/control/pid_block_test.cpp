// The PID block: its record and the fields older records lack, its checks,
// and runs through wired sources (output and tag against the bare
// controller, setpoint and parameter inputs, what a stop keeps).

#include "blocks/control/pid_block.h"

#include <gtest/gtest.h>

#include "control_block_fixture.h"
#include "resources/message_ids.h"

namespace kestrune::control_test {
namespace {

constexpr std::size_t kPayload = 37;
constexpr std::size_t kOldPayload = 28;  // without form, filter and rate clamp

PidSettings tuned() {
    PidSettings s;
    s.p = 2.0;
    s.i = 0.5;
    s.d = 0.25;
    s.highClamp = 80.0;
    s.lowClamp = -20.0;
    s.setpoint = 10.0;
    s.form = PidForm::Velocity;
    s.filter = 0.5;
    s.rateClamp = 1200.0;
    return s;
}

class PidBlockTest : public ControlBlockTest {
  protected:
    SourceBlock& feedback = addSource();
    PidBlock& pid = add<PidBlock>(kPidKind);

    void startWithFeedback() {
        wire(feedback, pid, PidBlock::kFeedback);
        start({&feedback, &pid});
    }
    float scan(float pv) {
        feedback.set(pv);
        EXPECT_EQ(pid.Scan(), kOk);
        return pid.outputValue(0)->toFloat();
    }
};

TEST_F(PidBlockTest, NewBlockHasTheDefaults) {
    const PidSettings s = pid.settings();
    EXPECT_EQ(s.p, 1.0);
    EXPECT_EQ(s.i, 0.0);
    EXPECT_EQ(s.d, 0.0);
    EXPECT_EQ(s.highClamp, 5.0);
    EXPECT_EQ(s.lowClamp, -5.0);
    EXPECT_EQ(s.setpoint, 0.0);
    EXPECT_EQ(s.form, PidForm::Position);
    EXPECT_EQ(s.filter, 0.0);
    EXPECT_EQ(s.rateClamp, 600.0);
}

TEST_F(PidBlockTest, RecordRoundTripWithTheBlockNumberTwice) {
    pid.setSettings(tuned());
    const auto bytes = bytesOf(pid);
    const auto payload = payloadOf(pid, kPayload);
    EXPECT_EQ(payload[24] | (payload[25] << 8), 1);  // PID1
    EXPECT_EQ(payload[26] | (payload[27] << 8), 1);
    EXPECT_EQ(payload[28], 1);  // velocity

    Status status;
    auto loaded = loadInto<PidBlock>(kPidKind, bytes, status);
    ASSERT_TRUE(status.ok()) << status.context;
    const PidSettings s = loaded->settings();
    EXPECT_EQ(s.p, 2.0);
    EXPECT_EQ(s.i, 0.5);
    EXPECT_EQ(s.d, 0.25);
    EXPECT_EQ(s.highClamp, 80.0);
    EXPECT_EQ(s.lowClamp, -20.0);
    EXPECT_EQ(s.setpoint, 10.0);
    EXPECT_EQ(s.form, PidForm::Velocity);
    EXPECT_EQ(s.filter, 0.5);
    EXPECT_EQ(s.rateClamp, 1200.0);
}

TEST_F(PidBlockTest, OlderRecordsReadOnlyTheFieldsTheyHold) {
    pid.setSettings(tuned());
    const auto full = bytesOf(pid);
    const std::size_t common = full.size() - kPayload;
    // Without the three trailing fields, with the form only, and with the
    // form plus two stray bytes that cannot be the filter constant.
    for (const std::size_t payload : {kOldPayload, kOldPayload + 1, kOldPayload + 3}) {
        SCOPED_TRACE(payload);
        auto bytes = full;
        resizeRecord(bytes, common + payload);
        Status status;
        auto loaded = loadInto<PidBlock>(kPidKind, bytes, status);
        ASSERT_TRUE(status.ok()) << status.context;
        const PidSettings s = loaded->settings();
        EXPECT_EQ(s.p, 2.0);
        EXPECT_EQ(s.setpoint, 10.0);
        EXPECT_EQ(s.form, payload == kOldPayload ? PidForm::Position : PidForm::Velocity);
        EXPECT_EQ(s.filter, 0.0);
        EXPECT_EQ(s.rateClamp, 600.0);
    }
}

TEST_F(PidBlockTest, RecordCutInsideTheMandatoryFieldsIsALoadError) {
    auto bytes = bytesOf(pid);
    resizeRecord(bytes, bytes.size() - kPayload + 26);
    Status status;
    loadInto<PidBlock>(kPidKind, bytes, status);
    EXPECT_EQ(status.code, kRecordLoadError);
}

TEST_F(PidBlockTest, LongerRecordIsSkipped) {
    pid.setSettings(tuned());
    auto bytes = bytesOf(pid);
    resizeRecord(bytes, bytes.size() + 9);
    const auto next = bytesOf(feedback);  // any record after it
    bytes.insert(bytes.end(), next.begin(), next.end());
    BinaryReader in(bytes);
    Status status;
    auto loaded = loadInto<PidBlock>(kPidKind, bytes, status, &in);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->settings().rateClamp, 1200.0);
    EXPECT_EQ(in.tag(), fourcc("BTAG"));
}

TEST_F(PidBlockTest, CheckWantsTheFeedback) {
    pid.setCaption("Level loop");
    EXPECT_EQ(pid.Validate(), kMsgInputUndefined);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Input undefined.TASK1, Level loop");
    wire(feedback, pid, PidBlock::kFeedback);
    EXPECT_EQ(pid.Validate(), kOk);
}

TEST_F(PidBlockTest, CheckWantsTheTriggerWithAnyParameterInput) {
    SourceBlock& parameter = addSource();
    SourceBlock& trigger = addSource(kTypeInteger);
    wire(feedback, pid, PidBlock::kFeedback);
    wire(parameter, pid, PidBlock::kDInput);
    EXPECT_EQ(pid.Validate(), kMsgTriggerInputRequired);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0],
              "The trigger input should be connected when PID inputs are connectedTASK1, PID1");
    wire(trigger, pid, PidBlock::kTrigger);
    EXPECT_EQ(pid.Validate(), kOk);
}

TEST_F(PidBlockTest, ScansMatchTheControllerAndWriteTheTag) {
    periodMs = 500;
    PidSettings s = tuned();
    s.form = PidForm::Position;
    pid.setSettings(s);
    PidAlgorithm expected(pid.settings());
    expected.start(500.0);
    setTag("PID1", 3.0f);
    startWithFeedback();
    EXPECT_FLOAT_EQ(tagFloat("PID1"), 0.0f);  // the start writes 0
    for (const float pv : {0.0f, 2.0f, 5.0f, 9.0f, 12.0f, 10.5f, 10.0f}) {
        const float out = scan(pv);
        EXPECT_FLOAT_EQ(out, static_cast<float>(expected.update(pv)));
        EXPECT_FLOAT_EQ(tagFloat("PID1"), out);
    }
    EXPECT_DOUBLE_EQ(pid.controller().dt(), 500.0 / 60000.0);
}

TEST_F(PidBlockTest, LongPeriodHitsTheHighClampShortPeriodTheRateClamp) {
    PidSettings s;
    s.setpoint = 10.0;
    pid.setSettings(s);
    periodMs = 10000;
    startWithFeedback();
    EXPECT_FLOAT_EQ(scan(0.0f), 5.0f);
    EXPECT_EQ(pid.controller().clampState(), PidClampState::AtHigh);
    ASSERT_EQ(pid.Stop(), kOk);
    periodMs = 100;
    ASSERT_EQ(pid.Start(), kOk);
    EXPECT_FLOAT_EQ(scan(0.0f), 1.0f);
}

TEST_F(PidBlockTest, OneSecondTaskMovesTheOutputAtMostTenPerScan) {
    PidSettings s;
    s.p = 50.0;
    s.highClamp = 100.0;
    s.lowClamp = -100.0;
    s.setpoint = 100.0;
    pid.setSettings(s);
    startWithFeedback();
    float last = 0.0f;
    for (int i = 0; i < 5; ++i) {
        const float out = scan(0.0f);
        EXPECT_NEAR(out - last, 10.0f, 1e-4f);
        last = out;
    }
}

TEST_F(PidBlockTest, TriggerHeldOnRetunesWheneverAParameterChanges) {
    SourceBlock& p = addSource();
    SourceBlock& trigger = addSource(kTypeInteger);
    wire(p, pid, PidBlock::kPInput);
    wire(trigger, pid, PidBlock::kTrigger);
    p.set(2.0f);
    startWithFeedback();
    start({&p, &trigger});
    scan(0.0f);
    EXPECT_EQ(pid.controller().settings().p, 1.0);  // trigger off
    trigger.setInteger(1);
    scan(0.0f);
    EXPECT_EQ(pid.controller().settings().p, 2.0);
    EXPECT_EQ(pid.controller().coefficients().q0, 2.0);
    p.set(3.0f);
    scan(0.0f);
    EXPECT_EQ(pid.controller().settings().p, 3.0);
    // The run's tuning is the configured one once the run stops.
    ASSERT_EQ(pid.Stop(), kOk);
    EXPECT_EQ(pid.settings().p, 3.0);
    EXPECT_EQ(pid.settings().i, 0.0);
}

TEST_F(PidBlockTest, WiredSetpointDrivesTheLoopAndIsKept) {
    SourceBlock& sp = addSource();
    wire(sp, pid, PidBlock::kSetpoint);
    sp.set(4.0f);
    startWithFeedback();
    start({&sp});
    EXPECT_FLOAT_EQ(scan(1.0f), 3.0f);  // P 1 on an error of 3
    EXPECT_EQ(pid.controller().settings().setpoint, 4.0);
    ASSERT_EQ(pid.Stop(), kOk);
    EXPECT_EQ(pid.settings().setpoint, 4.0);
}

TEST_F(PidBlockTest, StopAndStartKeepTheHistoryButRestartTheOutput) {
    PidSettings s;
    s.i = 1.0;
    s.setpoint = 1.0;
    pid.setSettings(s);
    startWithFeedback();
    scan(0.0f);
    scan(0.5f);
    const double sum = pid.controller().errorSum();
    EXPECT_DOUBLE_EQ(sum, 1.5);
    ASSERT_EQ(pid.Stop(), kOk);
    setTag("PID1", 9.0f);
    ASSERT_EQ(pid.Start(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("PID1"), 0.0f);
    EXPECT_EQ(pid.outputValue(0)->toFloat(), 0.0f);
    EXPECT_DOUBLE_EQ(pid.controller().errorSum(), sum);
    EXPECT_DOUBLE_EQ(pid.controller().error(0), 0.5);
}

TEST_F(PidBlockTest, LoadingForgetsTheHistory) {
    PidSettings s;
    s.i = 1.0;
    s.setpoint = 1.0;
    pid.setSettings(s);
    startWithFeedback();
    scan(0.0f);
    ASSERT_EQ(pid.Stop(), kOk);
    ASSERT_NE(pid.controller().errorSum(), 0.0);
    const auto bytes = bytesOf(pid);
    BinaryReader in(bytes);
    ASSERT_EQ(in.tag(), fourcc("BPID"));
    ASSERT_TRUE(pid.Load(in, kFileVersion).ok());
    EXPECT_EQ(pid.controller().errorSum(), 0.0);
    EXPECT_EQ(pid.controller().error(0), 0.0);
}

TEST_F(PidBlockTest, FeedbackWhoseSourceIsGoneHoldsTheOutput) {
    pid.input(PidBlock::kFeedback)->sourceId = 999;
    PidSettings s;
    s.setpoint = 3.0;
    pid.setSettings(s);
    ASSERT_EQ(pid.Start(), kOk);
    EXPECT_EQ(pid.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("PID1"), 0.0f);
}

TEST_F(PidBlockTest, TaskWithoutAPeriodRunsProportionalOnly) {
    periodMs = 0;
    PidSettings s;
    s.i = 5.0;
    s.d = 1.0;
    s.setpoint = 2.0;
    pid.setSettings(s);
    startWithFeedback();
    EXPECT_FLOAT_EQ(scan(0.0f), 2.0f);
    EXPECT_FLOAT_EQ(scan(0.0f), 2.0f);
}

TEST_F(PidBlockTest, CopyTakesTheSettings) {
    pid.setSettings(tuned());
    NodeContext scratch = context;
    scratch.live = false;
    PidBlock copy(scratch);
    pid.CopyTo(copy);
    EXPECT_EQ(copy.settings().rateClamp, 1200.0);
    EXPECT_EQ(copy.settings().form, PidForm::Velocity);
}

}  // namespace
}  // namespace kestrune::control_test
