#include "taskmodel/instance_numbers.h"

#include <bit>

namespace kestrune {
namespace {

constexpr std::uint64_t bitOf(std::size_t index) {
    return std::uint64_t{1} << (index % 64);
}

}  // namespace

bool InstanceNumbers::contains(std::uint16_t number) const {
    if (number == 0) return false;
    const std::size_t word = number / kWordBits;
    return word < words_.size() && (words_[word] & bitOf(number)) != 0;
}

void InstanceNumbers::add(std::uint16_t number) {
    if (number == 0) return;
    ++held_;
    if (contains(number)) {
        ++extra_[number];
        return;
    }
    const std::size_t word = number / kWordBits;
    if (word >= words_.size()) words_.resize(word + 1, 0);
    // Number 0 is never free, so word 0 counts it as held for the full test.
    words_[word] |= bitOf(number);
    const std::uint64_t counted = word == 0 ? words_[0] | 1 : words_[word];
    if (counted == ~std::uint64_t{0}) setFull(word, true);
}

void InstanceNumbers::remove(std::uint16_t number) {
    if (!contains(number)) return;
    --held_;
    if (const auto it = extra_.find(number); it != extra_.end()) {
        if (--it->second == 0) extra_.erase(it);
        return;
    }
    const std::size_t word = number / kWordBits;
    words_[word] &= ~bitOf(number);
    setFull(word, false);
}

void InstanceNumbers::setFull(std::size_t word, bool full) {
    std::uint64_t& summary = full_[word / kWordBits];
    summary = full ? summary | bitOf(word) : summary & ~bitOf(word);
}

std::uint16_t InstanceNumbers::lowestFree() const {
    for (std::size_t group = 0; group < full_.size(); ++group) {
        if (full_[group] == ~std::uint64_t{0}) continue;
        const std::size_t word = group * kWordBits + static_cast<std::size_t>(std::countr_one(full_[group]));
        // Words past the end hold nothing yet.
        std::uint64_t bits = word < words_.size() ? words_[word] : 0;
        if (word == 0) bits |= 1;
        return static_cast<std::uint16_t>(word * kWordBits + static_cast<std::size_t>(std::countr_one(bits)));
    }
    return 0;
}

}  // namespace kestrune
