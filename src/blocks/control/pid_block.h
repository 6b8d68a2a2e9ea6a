#pragma once
// The PID block ("PID%d", record "BPID"): a PID controller on the "Feedback"
// input with a configured or wired setpoint, and P, I and D values that the
// three parameter inputs may change at run time while the "Trigger for PID
// change" input is non-zero. One analog output, the controller output.
//
// The controller's sample time is the owning task's scan period, asked at
// every Start (a task without a period gives a P-only controller). Its error history and sum live as long as
// the block (cleared when it is made or loaded), so a stopped and restarted loop resumes its integral; its
// output restarts from 0 with every run.
//
// A setpoint or P, I, D value that the inputs brought during a run becomes
// the configured one when the run stops, so that a saved strategy keeps the
// tuning the loop ran with.

#include <cstdint>
#include <functional>

#include "blocks/control/control_block.h"
#include "blocks/control/pid_algorithm.h"

namespace kestrune {

// The scan period, in milliseconds, of the task a block was made for; 0 when
// it has none.
using TaskPeriodLookup = std::function<std::int32_t(const NodeContext&)>;

// The period of the context's scan task as its timing holds it after the run
// start fitted it to the scheduler (0 without a task).
std::int32_t OwnerTaskPeriodMs(const NodeContext& context);

class PidBlock : public ControlBlock {
  public:
    enum Input : std::size_t {
        kFeedback = 0,
        kSetpoint = 1,
        kPInput = 2,
        kIInput = 3,
        kDInput = 4,
        kTrigger = 5,
    };

    // Without a lookup the period is OwnerTaskPeriodMs.
    explicit PidBlock(const NodeContext& context, TaskPeriodLookup taskPeriod = {});

    void CopyTo(GraphObject& other) const override;
    // 32866 "Input undefined." without a wired "Feedback"; 32885 when any of
    // the P, I, D inputs is wired without the trigger. Both with the task and
    // the caption.
    Code Validate() override;
    Code Scan() override;
    PropertySet properties() override { return propertyTable().bind(*this); }
    static const PropertyTable<PidBlock>& propertyTable();

    // The configured settings, as the record holds them (in single precision).
    PidSettings settings() const;
    void setSettings(const PidSettings& settings);
    // The controller, for what the dialogs and tests show of it.
    const PidAlgorithm& controller() const { return controller_; }

  protected:
    // The record: P, I, D, high clamp, low clamp and setpoint (f32 each); the
    // instance number twice (u16, not read back); then, in records that hold
    // them, the form (u8), the filter constant and the rate clamp (f32).
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    Code OnStart() override;
    void OnStop() override;

  private:
    float p_ = 1.0f;
    float i_ = 0.0f;
    float d_ = 0.0f;
    float highClamp_ = 5.0f;
    float lowClamp_ = -5.0f;
    float setpoint_ = 0.0f;
    PidForm form_ = PidForm::Position;
    float filter_ = 0.0f;
    float rateClamp_ = 600.0f;

    TaskPeriodLookup taskPeriod_;
    PidAlgorithm controller_;
    PidSettings started_;  // what Start handed to the controller
};

}  // namespace kestrune
