#pragma once
// The item record an OPC-capable block keeps: one byte, then five 64-byte
// zero-terminated texts at offsets 1, 65, 129, 193 and 257 (321 bytes in
// all). Text 1 names the server's node (empty: this machine), text 2 the
// server, text 3 the item, text 4 its access path, and text 5 is what the
// dialogs show.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune {

class OpcItemRecord {
  public:
    static constexpr std::size_t kSize = 321;
    static constexpr std::size_t kTextSize = 64;
    static constexpr int kTextCount = 5;

    OpcItemRecord() { bytes_.fill(0); }

    std::uint8_t flag() const { return bytes_[0]; }
    void setFlag(std::uint8_t f) { bytes_[0] = f; }

    // Text `index` (1..5) up to its terminator; empty for another index. A
    // text that fills its whole slot without a terminator (a damaged record)
    // ends at the slot's end.
    std::string text(int index) const;
    // Stores at most 63 bytes so that the terminator always fits; other
    // indices are ignored.
    void setText(int index, std::string_view text);

    const std::array<std::uint8_t, kSize>& bytes() const { return bytes_; }
    std::array<std::uint8_t, kSize>& bytes() { return bytes_; }

    friend bool operator==(const OpcItemRecord&, const OpcItemRecord&) = default;

  private:
    static constexpr std::size_t offsetOf(int index) {
        return 1 + (static_cast<std::size_t>(index) - 1) * kTextSize;
    }

    std::array<std::uint8_t, kSize> bytes_;
};

}  // namespace kestrune
