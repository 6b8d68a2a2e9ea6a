#pragma once
// An open-addressing hash index from a name to a record that holds that name
// itself. A slot is eight bytes, half of the hash and the record's id, so the
// whole table of a large strategy stays small enough to live in the cache; a
// lookup touches one slot and then the record, which the caller reads next
// anyway (a node-based map would add a node on the way). Linear probing over
// a power-of-two table at most 80% full (40-50% after a rebuild); erased
// slots become tombstones until the next rebuild.
//
// Record must have id() (1 and up, below 0xFFFFFFFF); KeyOf gives a record's
// name; ById finds a record by id. Not thread-safe: the owner guards it
// (shared for find, exclusive otherwise).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kestrune {

// A short-key hash, inline and eight bytes a step, with a full final mix
// because the table takes its low bits.
inline std::uint64_t hashName(std::string_view key) noexcept {
    constexpr std::uint64_t kMul = 0xBF58476D1CE4E5B9u;
    const char* p = key.data();
    std::size_t n = key.size();
    std::uint64_t h = 0x9E3779B97F4A7C15u ^ n;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * kMul;
        h ^= h >> 31;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        for (std::size_t i = 0; i < n; ++i) w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
        h = (h ^ w) * kMul;
        h ^= h >> 31;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDu;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53u;
    return h ^ (h >> 33);
}

template <class Record, class KeyOf, class ById>
class NameIndex {
  public:
    explicit NameIndex(ById byId) : byId_(byId) {}

    Record* find(std::string_view key) const noexcept {
        const std::size_t at = locate(key);
        return at == kNone ? nullptr : byId_(idOf(slots_[at]));
    }

    // `record` must not be in the index yet, nor its key.
    void insert(Record* record) {
        if ((used_ + 1) * 5 > slots_.size() * 4) rebuild((live_ + 1) * 2);
        const std::uint64_t hash = hashName(KeyOf{}(*record));
        place(slotFor(hash, record->id()), hash);
        ++live_;
    }

    // A rename erases the record under its old key, changes it, and inserts it again.
    bool erase(std::string_view key) noexcept {
        const std::size_t at = locate(key);
        if (at == kNone) return false;
        slots_[at] = kTombstone;
        --live_;
        return true;
    }

    std::size_t size() const noexcept { return live_; }

  private:
    using Slot = std::uint64_t;  // hash bits above, id below; 0 never used
    static constexpr Slot kTombstone = 0xFFFFFFFFu;
    static constexpr std::size_t kNone = ~std::size_t{0};

    static Slot slotFor(std::uint64_t hash, std::uint32_t id) noexcept {
        return (hash & ~Slot{0xFFFFFFFFu}) | id;
    }
    static std::uint32_t idOf(Slot s) noexcept { return static_cast<std::uint32_t>(s); }
    static bool isLive(Slot s) noexcept { return s != 0 && s != kTombstone; }
    std::size_t mask() const noexcept { return slots_.size() - 1; }

    std::size_t locate(std::string_view key) const noexcept {
        if (slots_.empty()) return kNone;
        const std::uint64_t hash = hashName(key);
        const Slot high = hash & ~Slot{0xFFFFFFFFu};
        for (std::size_t i = hash & mask();; i = (i + 1) & mask()) {
            const Slot s = slots_[i];
            if (s == 0) return kNone;
            if ((s & ~Slot{0xFFFFFFFFu}) == high && isLive(s) && KeyOf{}(*byId_(idOf(s))) == key) return i;
        }
    }

    void place(Slot slot, std::uint64_t hash) noexcept {
        for (std::size_t i = hash & mask();; i = (i + 1) & mask()) {
            Slot& s = slots_[i];
            if (!isLive(s)) {
                if (s == 0) ++used_;
                s = slot;
                return;
            }
        }
    }

    // A table for `wanted` slots (rounded up to a power of two), without tombstones.
    void rebuild(std::size_t wanted) {
        std::size_t size = 16;
        while (size < wanted) size *= 2;
        std::vector<Slot> old(size, 0);
        old.swap(slots_);
        used_ = 0;
        // The slots keep only the hash's high half; the probe start comes
        // from its low bits, so the names are hashed again.
        for (const Slot s : old) {
            if (isLive(s)) place(s, hashName(KeyOf{}(*byId_(idOf(s)))));
        }
    }

    ById byId_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;  // live and tombstones
    std::size_t live_ = 0;
};

}  // namespace kestrune
