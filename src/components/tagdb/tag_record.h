#pragma once
// One tag: its value, its flags and its lock key. A `TagRecord*` is the fast
// handle that blocks cache at run start (`GetTagEntryPtr`).
//
// Threads: any thread may read and write a record at any time, and neither
// allocates nor touches a database-wide lock:
//  - a number tag of one element lives in one atomic word (lock-free);
//  - arrays and strings are copied under the record's own SpinLock, so a
//    reader never sees half of another thread's write;
//  - flags and the lock key are atomics.
// Type, count and id never change after the record is published. The name
// belongs to the TagDirectory and is only touched under its lock. Records
// are never freed before the database: a deleted record is marked, drops its
// array buffers, and answers kTagDeleted from then on, so a handle still
// cached by another thread stays safe to use.
//
// Conversions between the record's type and the tag's type: 16- and 32-bit
// integers and floats convert numerically (float to integer truncates toward
// zero and saturates, NaN gives 0; a 16-bit tag keeps the low 16 bits of an
// integer); a string never converts to or from a number (kTagTypeMismatch).

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "components/tagdb/db_param.h"
#include "components/tagdb/spin_lock.h"
#include "components/tagdb/tagdb_codes.h"

namespace kestrune {

class alignas(64) TagRecord {
  public:
    TagRecord() = default;
    TagRecord(const TagRecord&) = delete;
    TagRecord& operator=(const TagRecord&) = delete;

    std::uint32_t id() const noexcept { return id_; }
    std::uint16_t type() const noexcept { return type_; }
    std::uint16_t count() const noexcept { return count_; }

    bool isDeleted() const noexcept { return (flags_.load(std::memory_order_acquire) & kDeleted) != 0; }
    bool isEnabled() const noexcept { return (flags_.load(std::memory_order_acquire) & kEnabled) != 0; }
    bool isHeld() const noexcept { return (flags_.load(std::memory_order_acquire) & kHeld) != 0; }
    bool isLocked() const noexcept { return lockKey_.load(std::memory_order_acquire) != 0; }

    // A write checks, in this order: deleted, disabled, locked (no key:
    // kTagLocked; another key: kTagBadKey), the record, then converts and
    // stores. Nothing is stored unless everything passed. A key given for a
    // tag that is not locked is ignored.
    Code write(const DB_PARAM& p) noexcept { return write(p, nullptr); }
    Code writeLocked(const DB_PARAM& p, std::uint32_t key) noexcept { return write(p, &key); }
    // Fills p.value (scalars) or the caller's memory (arrays, strings).
    // Disabled and locked tags read normally.
    Code read(DB_PARAM& p) const noexcept;

    void setEnabled(bool on) noexcept { setFlag(kEnabled, on); }
    void setHeld(bool on) noexcept { setFlag(kHeld, on); }

    // Locks with `newKey` (non-zero) unless already locked; returns the key, or 0.
    std::uint32_t lock(std::uint32_t newKey) noexcept;
    Code unlock(std::uint32_t key) noexcept;
    void clearLock() noexcept { lockKey_.store(0, std::memory_order_release); }

    // The whole value, for the hold file: numbers as their 32-bit words (int
    // or float bits after type()), texts without terminators. False when deleted.
    bool snapshot(std::vector<std::uint32_t>& numbers, std::vector<std::string>& texts) const;
    // Puts a snapshot back, past the enable flag and lock (a restore is the
    // database's own state, not a client's write). The sizes must be count().
    bool restore(std::span<const std::uint32_t> numbers, std::span<const std::string> texts) noexcept;

  private:
    friend class TagDirectory;

    static constexpr std::uint32_t kDeleted = 1;
    static constexpr std::uint32_t kEnabled = 2;
    static constexpr std::uint32_t kHeld = 4;

    // Called once by the directory before the record is published.
    void init(std::uint32_t id, std::string key, std::uint16_t type, std::uint16_t count);
    void markDeleted() noexcept;

    Code write(const DB_PARAM& p, const std::uint32_t* key) noexcept;
    Code checkWritable(const std::uint32_t* key) const noexcept;
    Code writeNumbers(const DB_PARAM& p, std::uint16_t n) noexcept;
    Code readNumbers(DB_PARAM& p, std::uint16_t n) const noexcept;
    Code writeTexts(const DB_PARAM& p, std::uint16_t n) noexcept;
    Code readTexts(DB_PARAM& p, std::uint16_t n) const noexcept;
    bool inlineNumber() const noexcept { return count_ == 1 && tagBaseType(type_) != kTagString; }
    void setFlag(std::uint32_t flag, bool on) noexcept;

    char* textData() const noexcept { return reinterpret_cast<char*>(data_.get()); }
    std::string_view taskName() const noexcept {
        const std::string_view k = key_;
        return k.substr(0, k.find('\0'));
    }
    std::string_view tagName() const noexcept {
        const std::string_view k = key_;
        return k.substr(k.find('\0') + 1);
    }

    // Exactly one cache line: a lookup by name compares key_ and the access
    // that follows finds the value in the line the compare already loaded.
    std::atomic<std::uint32_t> scalar_{0};
    std::atomic<std::uint32_t> flags_{0};
    std::atomic<std::uint32_t> lockKey_{0};
    mutable SpinLock lock_;
    std::uint16_t type_ = kTagInt32;
    std::uint16_t count_ = 1;
    std::uint32_t id_ = 0;
    // The element words of a number array, or the 128-byte texts of a string
    // tag; released (under lock_) on delete.
    std::unique_ptr<std::uint32_t[]> data_;
    // Directory-owned, under its lock: the lookup key "TASK\0TAG".
    std::string key_;
};

// The names the rest of the program knows the handle by.
using CTagRec = TagRecord;

}  // namespace kestrune
