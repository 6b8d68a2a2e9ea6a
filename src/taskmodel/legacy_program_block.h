#pragma once
// The user-program block of old strategies (kind 25, "BPRG"). Its programs
// ran on an engine this program does not have; it exists so that those
// strategies still open and save without loss. Everything after the block
// common part of its record (the source text, the compiled codes and the
// strings) is kept as it was read and written back byte for byte.
//
// It never runs: Start shows "User Programming Block is no longer supported
// ..." and returns 32867, so the task's start fails (and with it the run,
// the main window then naming the task); validation lets it through so that
// the user learns which block to replace at the first start.

#include <cstdint>
#include <span>
#include <vector>

#include "taskmodel/block.h"

namespace kestrune {

class NodeFactory;
using BlockFactory = NodeFactory;

class LegacyProgramBlock : public Block {
  public:
    explicit LegacyProgramBlock(const NodeContext& context);

    Code Start() override;
    void CopyTo(GraphObject& other) const override;

    // The stored program, as the record held it (for printing).
    std::span<const std::uint8_t> payload() const { return payload_; }

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;

  private:
    std::vector<std::uint8_t> payload_;
};

// Registers the kinds that only load and save.
Status registerLegacyBlockKinds(BlockFactory& factory);

}  // namespace kestrune
