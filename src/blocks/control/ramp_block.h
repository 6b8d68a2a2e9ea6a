#pragma once
// The ramp block ("RMP%d", record "BRMP"): a value stepping once per scan
// from a start value to a stop value, then back to the start (auto reset) or
// staying at the stop value. A wired "Reset" that is non-zero returns it to
// the start silently; a wired "Hold" that is non-zero freezes it. The output
// and the tag change only on the scans that step.

#include <cstdint>

#include "blocks/control/control_block.h"
#include "blocks/control/ramp_generator.h"

namespace kestrune {

class RampBlock : public ControlBlock {
  public:
    enum Input : std::size_t { kReset = 0, kHold = 1 };

    explicit RampBlock(const NodeContext& context);

    void CopyTo(GraphObject& other) const override;
    Code Scan() override;
    PropertySet properties() override { return propertyTable().bind(*this); }
    static const PropertyTable<RampBlock>& propertyTable();

    RampSettings settings() const;
    void setSettings(const RampSettings& settings);

  protected:
    // The record: start, stop and step (f32 each), auto reset (u8).
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    // The value goes to the start value, which the tag shows at once.
    Code OnStart() override;

  private:
    float start_ = 0.0f;
    float stop_ = 5.0f;
    float step_ = 0.1f;
    std::uint8_t autoReset_ = 1;

    RampGenerator ramp_;
};

}  // namespace kestrune
