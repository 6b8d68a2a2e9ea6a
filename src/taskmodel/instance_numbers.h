#pragma once
// The instance numbers in use by the objects of one kind, so that the next
// default name ("PID4") is found without walking every object of the strategy.
// The rule is the lowest positive number no object of the kind holds: a
// deleted PID2 frees 2 for the next PID. Number 0 means "none" and is never
// handed out, so it is not recorded.
//
// Two objects may hold the same number (a damaged file, a record loaded over
// a fresh block); the number is free again only when both have let it go.
//
// One bit per number, with a summary bit per 64-number word that says the word
// is full, so the lowest free number is found by looking at a few dozen words
// at most, however many objects there are. Not thread-safe: the registry
// guards it.

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace kestrune {

class InstanceNumbers {
  public:
    void add(std::uint16_t number);
    void remove(std::uint16_t number);
    bool contains(std::uint16_t number) const;
    // The lowest positive number not held; 0 when every number up to 65535 is.
    std::uint16_t lowestFree() const;
    // No number is held.
    bool empty() const { return held_ == 0; }

  private:
    static constexpr std::size_t kWordBits = 64;
    static constexpr std::size_t kWords = 65536 / kWordBits;

    void setFull(std::size_t word, bool full);

    // Bit n % 64 of words_[n / 64] is set while number n is held; grown on
    // demand up to the word of the largest number held so far.
    std::vector<std::uint64_t> words_;
    // Bit w % 64 of full_[w / 64] is set while words_[w] has every bit set.
    std::vector<std::uint64_t> full_ = std::vector<std::uint64_t>(kWords / kWordBits, 0);
    // Holders beyond the first, for the numbers held more than once.
    std::unordered_map<std::uint16_t, std::uint32_t> extra_;
    std::size_t held_ = 0;
};

}  // namespace kestrune
