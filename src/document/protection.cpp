#include "document/protection.h"

#include <cstring>

namespace kestrune {
namespace {

constexpr std::size_t kBits = 192;

bool bitAt(const PasswordBuffer& b, std::size_t bit) {
    return (b[bit / 8] >> (bit % 8)) & 1u;
}

void setBit(PasswordBuffer& b, std::size_t bit) {
    b[bit / 8] = static_cast<std::uint8_t>(b[bit / 8] | (1u << (bit % 8)));
}

// Walks the pairs (i, n) of the permutation: n starts at 0, steps by 8 and
// loses 191 whenever it reaches the end of the buffer.
template <class F>
void forEachBitPair(F&& f) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kBits; ++i) {
        f(i, n);
        n += 8;
        if (n >= kBits) n -= kBits - 1;
    }
}

void xorWords(PasswordBuffer& b, std::uint32_t key) {
    for (std::size_t w = 0; w < b.size(); w += 4) {
        for (std::size_t k = 0; k < 4; ++k) b[w + k] ^= static_cast<std::uint8_t>(key >> (8 * k));
    }
}

}  // namespace

PasswordBuffer scramblePassword(const PasswordBuffer& plain, std::uint32_t key) {
    PasswordBuffer out{};
    forEachBitPair([&](std::size_t i, std::size_t n) {
        if (bitAt(plain, i)) setBit(out, n);
    });
    xorWords(out, key);
    return out;
}

PasswordBuffer unscramblePassword(const PasswordBuffer& stored, std::uint32_t key) {
    PasswordBuffer mixed = stored;
    xorWords(mixed, key);
    PasswordBuffer out{};
    forEachBitPair([&](std::size_t i, std::size_t n) {
        if (bitAt(mixed, n)) setBit(out, i);
    });
    return out;
}

bool Protection::protect(std::string_view password) {
    if (password.size() > kMaxPasswordLength) return false;
    password_ = std::string(password);
    protected_ = true;
    return true;
}

void Protection::unprotect() {
    password_.clear();
    protected_ = false;
}

void Protection::write(BinaryWriter& out, std::uint32_t random) const {
    const std::uint32_t key = protected_ ? random & ~kNoPasswordBit : random | kNoPasswordBit;
    PasswordBuffer plain{};
    if (protected_) std::memcpy(plain.data(), password_.data(), password_.size());
    const PasswordBuffer stored = scramblePassword(plain, key);
    out.bytes(stored.data(), stored.size());
    out.u32(key);
}

bool Protection::read(BinaryReader& in) {
    PasswordBuffer stored{};
    in.bytes(stored.data(), stored.size());
    const std::uint32_t key = in.u32();
    if (in.failed()) return false;
    protected_ = (key & kNoPasswordBit) == 0;
    password_.clear();
    if (protected_) {
        const PasswordBuffer plain = unscramblePassword(stored, key);
        const auto* text = reinterpret_cast<const char*>(plain.data());
        password_.assign(text, strnlen(text, plain.size()));
    }
    return true;
}

}  // namespace kestrune
