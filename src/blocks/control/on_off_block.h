#pragma once
// The ON-OFF block ("ONF%d", record "BOFF"): a two-position controller whose
// digital output switches when the "Input" leaves the band from setpoint -
// delta low to setpoint + delta high, and holds inside it. The setpoint is
// the configured one or, while wired, the "Setpoint" input's value.
//
// The state outlives a run: a restarted loop resumes from where it stopped
// (0 only for a block just made). A setpoint taken from the input during a
// run becomes the configured setpoint when the run stops.

#include <cstdint>

#include "blocks/control/control_block.h"
#include "blocks/control/on_off_algorithm.h"

namespace kestrune {

class OnOffBlock : public ControlBlock {
  public:
    enum Input : std::size_t { kInput = 0, kSetpoint = 1 };

    explicit OnOffBlock(const NodeContext& context);

    void CopyTo(GraphObject& other) const override;
    // 32869 "Unconfigured block: " with the task and the caption when the
    // "Input" is not wired.
    Code Validate() override;
    Code Scan() override;
    PropertySet properties() override { return propertyTable().bind(*this); }
    static const PropertyTable<OnOffBlock>& propertyTable();

    // The configured settings, as the record holds them.
    OnOffSettings settings() const;
    void setSettings(const OnOffSettings& settings);
    std::int32_t state() const { return controller_.state(); }

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    // The "Input" must reach a source: 32869 with the task and the tag name
    // otherwise. Publishes the state the previous run left.
    Code OnStart() override;
    void OnStop() override;

  private:
    std::uint8_t reverse_ = 0;
    float setpoint_ = 0.0f;
    float deltaHigh_ = 2.5f;
    float deltaLow_ = 2.5f;

    OnOffAlgorithm controller_;
    double startSetpoint_ = 0.0;  // handed to the controller at Start
};

}  // namespace kestrune
