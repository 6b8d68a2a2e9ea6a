#pragma once
// Append-only storage whose elements never move and are never freed before
// the arena itself. Tag handles are plain pointers into it and tag ids are
// indexes, so both stay valid for the life of the database whatever is added
// or deleted meanwhile, and an index is resolved without any lock.
//
// Threads: append() and publish() by one thread at a time (the owner's write
// lock); at() and size() from any thread at any time.

#include <atomic>
#include <cstddef>
#include <memory>

namespace kestrune {

template <class T, unsigned ChunkBits = 10, std::size_t MaxChunks = 16384>
class StableArena {
  public:
    static constexpr std::size_t kChunkSize = std::size_t{1} << ChunkBits;
    static constexpr std::size_t kCapacity = kChunkSize * MaxChunks;

    StableArena() : chunks_(new std::atomic<T*>[MaxChunks]) {
        for (std::size_t i = 0; i < MaxChunks; ++i) chunks_[i].store(nullptr, std::memory_order_relaxed);
    }
    ~StableArena() {
        for (std::size_t i = 0; i < MaxChunks; ++i) delete[] chunks_[i].load(std::memory_order_relaxed);
    }
    StableArena(const StableArena&) = delete;
    StableArena& operator=(const StableArena&) = delete;

    // Elements [0, size()) are fully initialised and visible.
    std::size_t size() const noexcept { return size_.load(std::memory_order_acquire); }

    T* at(std::size_t index) const noexcept {
        if (index >= size()) return nullptr;
        return &chunks_[index >> ChunkBits].load(std::memory_order_acquire)[index & (kChunkSize - 1)];
    }

    // The slot that publish() will make visible next (default constructed),
    // or null when the arena is full.
    T* append() {
        const std::size_t index = size_.load(std::memory_order_relaxed);
        if (index >= kCapacity) return nullptr;
        auto& chunk = chunks_[index >> ChunkBits];
        T* base = chunk.load(std::memory_order_relaxed);
        if (base == nullptr) {
            base = new T[kChunkSize];
            chunk.store(base, std::memory_order_release);
        }
        return &base[index & (kChunkSize - 1)];
    }

    // Makes the slot returned by append() visible; returns its index.
    std::size_t publish() noexcept { return size_.fetch_add(1, std::memory_order_release); }

  private:
    std::unique_ptr<std::atomic<T*>[]> chunks_;
    std::atomic<std::size_t> size_{0};
};

}  // namespace kestrune
