#pragma once
// The password protection of a strategy file: 24 bytes of scrambled password
// followed by a 32-bit key. Bit 2 of the key set means the file has no
// password; otherwise the file opens only for someone who knows it.
//
// Scrambling permutes the 192 bits of the zero-padded password buffer (bit i
// of the plain buffer goes to bit n, n stepping by 8 and wrapping by 191;
// bits counted from the least significant bit of byte 0) and then XORs each
// of the six little-endian 32-bit words with the key. It keeps a casual
// reader from seeing the password in the file; it is not encryption.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/binary_stream.h"

namespace kestrune {

using PasswordBuffer = std::array<std::uint8_t, 24>;

PasswordBuffer scramblePassword(const PasswordBuffer& plain, std::uint32_t key);
PasswordBuffer unscramblePassword(const PasswordBuffer& stored, std::uint32_t key);

class Protection {
  public:
    static constexpr std::size_t kBlockSize = 24 + 4;
    static constexpr std::size_t kMaxPasswordLength = 23;
    static constexpr std::uint32_t kNoPasswordBit = 0x4;

    bool isProtected() const { return protected_; }
    const std::string& password() const { return password_; }

    // Takes the password and marks the strategy protected; false (and
    // nothing changed) for a password longer than kMaxPasswordLength.
    bool protect(std::string_view password);
    // Back to no password.
    void unprotect();

    // The block and the key. `random` supplies the key's bits; bit 2 is set
    // or cleared here. An unprotected strategy writes an all-zero password,
    // so that a password once set does not linger in the file.
    void write(BinaryWriter& out, std::uint32_t random) const;
    // Reads the block and the key; false when the stream ran out.
    bool read(BinaryReader& in);

    friend bool operator==(const Protection&, const Protection&) = default;

  private:
    std::string password_;
    bool protected_ = false;
};

}  // namespace kestrune
