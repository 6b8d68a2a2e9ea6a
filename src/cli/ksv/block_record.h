#pragma once
// A block's record taken apart and put together again, so that the strategy
// tool can show the part every kind shares as named fields and carry the
// kind's own part (its payload) as bytes. Putting a record together hands
// the bytes to the block's own loader, exactly as reading a file does, so a
// block built from JSON is the block a file with those bytes gives.
//
// The common part, after the tag and the 16-bit length: id (32 bit), kind
// (16), instance (16), the input ports (count, then source id, source output
// and accepted mask each), the output ports (count, then type each), the
// order number, the consumers (count, then ids), the box (four 32-bit
// values), the name and the caption (32-bit length and characters each).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/geometry.h"
#include "platform/status.h"
#include "taskmodel/ports.h"

namespace kestrune {
class Block;
}

namespace kestrune::ksv {

struct BlockCommonPart {
    std::uint16_t id = 0;
    std::int16_t kind = 0;
    std::uint16_t instance = 0;
    std::vector<InputPort> inputs;
    std::vector<OutputPort> outputs;
    std::uint32_t order = 0;
    std::vector<std::uint32_t> consumers;
    Rect box;
    std::string name;
    std::string caption;

    static BlockCommonPart of(const Block& block);
    void write(BinaryWriter& out) const;
};

// What the block's record holds after the common part, as its Save writes it.
Status kindPayload(const Block& block, std::vector<std::uint8_t>& payload);

// Loads the record made of `common` and `payload` into `block` through its
// Load (the kind in `common` is not read back: the block keeps its own).
// 32910 with where, as the loader says, when the bytes do not make a record
// of the block's kind.
Status loadBlockRecord(Block& block, const BlockCommonPart& common, std::span<const std::uint8_t> payload);

// Lower-case hex, two digits a byte.
std::string toHex(std::span<const std::uint8_t> bytes);
// False, with the offending character's offset in `badAt`, for an odd
// length or a character that is not a hex digit.
bool fromHex(std::string_view text, std::vector<std::uint8_t>& bytes, std::size_t& badAt);

}  // namespace kestrune::ksv
