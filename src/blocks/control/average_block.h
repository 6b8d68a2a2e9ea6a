#pragma once
// The average block ("AVG%d", record "BAVG"): the moving average of the last
// N samples of its "Input", or the average of every sample since the run
// started (whole average). A wired "Reset" that is non-zero starts the
// average afresh on every scan it stays so. One analog output.

#include <cstdint>

#include "blocks/control/average_algorithm.h"
#include "blocks/control/control_block.h"

namespace kestrune {

class AverageBlock : public ControlBlock {
  public:
    enum Input : std::size_t { kInput = 0, kReset = 1 };
    static constexpr std::uint16_t kMaxWindow = 65535;

    explicit AverageBlock(const NodeContext& context);

    void CopyTo(GraphObject& other) const override;
    Code Scan() override;
    PropertySet properties() override { return propertyTable().bind(*this); }
    static const PropertyTable<AverageBlock>& propertyTable();

    AverageSettings settings() const { return {windowSize_, mode_}; }
    void setSettings(const AverageSettings& settings);

  protected:
    // The record: the window size (u16), then the mode (u16) in records that
    // hold it.
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;
    // Empties the average and makes the window; 32853 "Out of memory." when
    // the window cannot be had.
    Code OnStart() override;

  private:
    std::uint16_t windowSize_ = 10;
    AverageMode mode_ = AverageMode::Moving;

    AverageAlgorithm average_;
};

}  // namespace kestrune
