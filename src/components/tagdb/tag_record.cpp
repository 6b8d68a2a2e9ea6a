#include "components/tagdb/tag_record.h"

#include <cstring>
#include <mutex>

#include "components/tagdb/tag_conversion.h"

namespace kestrune {

namespace {

bool isTextType(std::uint16_t type) {
    return tagBaseType(type) == kTagString;
}

// How many elements the record moves, after checking it against the tag.
Code recordElements(const DB_PARAM& p, std::uint16_t tagType, std::uint16_t tagCount, std::uint16_t& n) {
    if (!isValidTagType(p.type)) return kTagBadType;
    if (isTextType(p.type) != isTextType(tagType)) return kTagTypeMismatch;
    const bool array = isTagArrayType(p.type);
    n = array ? p.count : 1;
    if (n == 0 || ((array || isTextType(p.type)) && p.value.pData == nullptr)) return kTagBadRecord;
    if (std::uint32_t{p.start} + n > tagCount) return kTagIndexRange;
    return kOk;
}

// The normalised word of a stored value (a crafted hold file may hold a
// 16-bit tag's word outside the 16-bit range).
std::uint32_t normalised(std::uint16_t tagBase, std::uint32_t word) {
    return tagBase == kTagFloat ? word : tagconv::fromInt(tagBase, static_cast<std::int32_t>(word));
}

}  // namespace

static_assert(sizeof(TagRecord) == 64, "one cache line per tag");

void TagRecord::init(std::uint32_t id, std::string key, std::uint16_t type, std::uint16_t count) {
    id_ = id;
    key_ = std::move(key);
    type_ = type;
    count_ = count;
    // The slot may have been set up once already by an add that failed
    // before the record was published.
    data_.reset();
    scalar_.store(0, std::memory_order_relaxed);
    if (isTextType(type)) {
        data_ = std::make_unique<std::uint32_t[]>(std::size_t{count} * kTagTextSize / sizeof(std::uint32_t));
    } else if (count > 1) {
        data_ = std::make_unique<std::uint32_t[]>(count);
    }
    flags_.store(kEnabled, std::memory_order_relaxed);
}

void TagRecord::markDeleted() noexcept {
    flags_.fetch_or(kDeleted, std::memory_order_acq_rel);
    lockKey_.store(0, std::memory_order_release);
    std::lock_guard guard(lock_);
    data_.reset();
}

void TagRecord::setFlag(std::uint32_t flag, bool on) noexcept {
    if (on) {
        flags_.fetch_or(flag, std::memory_order_acq_rel);
    } else {
        flags_.fetch_and(~flag, std::memory_order_acq_rel);
    }
}

Code TagRecord::checkWritable(const std::uint32_t* key) const noexcept {
    const std::uint32_t flags = flags_.load(std::memory_order_acquire);
    if (flags & kDeleted) return kTagDeleted;
    if (!(flags & kEnabled)) return kTagDisabled;
    const std::uint32_t lockKey = lockKey_.load(std::memory_order_acquire);
    if (lockKey != 0) {
        if (key == nullptr) return kTagLocked;
        if (*key != lockKey) return kTagBadKey;
    }
    return kOk;
}

Code TagRecord::write(const DB_PARAM& p, const std::uint32_t* key) noexcept {
    if (Code c = checkWritable(key); c != kOk) return c;
    std::uint16_t n = 0;
    if (Code c = recordElements(p, type_, count_, n); c != kOk) return c;
    if (isTextType(type_)) return writeTexts(p, n);
    if (!inlineNumber()) return writeNumbers(p, n);
    const std::uint16_t base = tagBaseType(type_);
    const std::uint32_t word = isTagArrayType(p.type)
                                   ? tagconv::loadElement(base, tagBaseType(p.type), p.value.pData, 0)
                                   : tagconv::loadScalar(base, p);
    scalar_.store(word, std::memory_order_release);
    return kOk;
}

Code TagRecord::read(DB_PARAM& p) const noexcept {
    if (isDeleted()) return kTagDeleted;
    std::uint16_t n = 0;
    if (Code c = recordElements(p, type_, count_, n); c != kOk) return c;
    if (isTextType(type_)) return readTexts(p, n);
    if (!inlineNumber()) return readNumbers(p, n);
    const std::uint16_t base = tagBaseType(type_);
    const std::uint32_t word = scalar_.load(std::memory_order_acquire);
    if (isTagArrayType(p.type)) {
        tagconv::storeElement(base, tagBaseType(p.type), word, p.value.pData, 0);
    } else {
        tagconv::storeScalar(base, word, p);
    }
    return kOk;
}

Code TagRecord::writeNumbers(const DB_PARAM& p, std::uint16_t n) noexcept {
    const std::uint16_t base = tagBaseType(type_);
    const std::uint16_t recBase = tagBaseType(p.type);
    const bool array = isTagArrayType(p.type);
    std::lock_guard guard(lock_);
    if (!data_) return kTagDeleted;
    std::uint32_t* dst = data_.get() + p.start;
    if (!array) {
        dst[0] = tagconv::loadScalar(base, p);
        return kOk;
    }
    for (std::size_t i = 0; i < n; ++i) dst[i] = tagconv::loadElement(base, recBase, p.value.pData, i);
    return kOk;
}

Code TagRecord::readNumbers(DB_PARAM& p, std::uint16_t n) const noexcept {
    const std::uint16_t base = tagBaseType(type_);
    const std::uint16_t recBase = tagBaseType(p.type);
    const bool array = isTagArrayType(p.type);
    std::lock_guard guard(lock_);
    if (!data_) return kTagDeleted;
    const std::uint32_t* src = data_.get() + p.start;
    if (!array) {
        tagconv::storeScalar(base, src[0], p);
        return kOk;
    }
    for (std::size_t i = 0; i < n; ++i) tagconv::storeElement(base, recBase, src[i], p.value.pData, i);
    return kOk;
}

// A text without a terminator in its 128 bytes is refused rather than cut:
// the caller broke the buffer contract, and storing a guess would hide it.
// Nothing is stored unless every element of the record fits.
Code TagRecord::writeTexts(const DB_PARAM& p, std::uint16_t n) noexcept {
    const char* src = static_cast<const char*>(p.value.pData);
    for (std::size_t i = 0; i < n; ++i) {
        if (strnlen(src + i * kTagTextSize, kTagTextSize) >= kTagTextSize) return kTagStringTooLong;
    }
    std::lock_guard guard(lock_);
    if (!data_) return kTagDeleted;
    for (std::size_t i = 0; i < n; ++i) {
        const char* s = src + i * kTagTextSize;
        const std::size_t len = strnlen(s, kTagMaxTextLength);
        char* d = textData() + (p.start + i) * kTagTextSize;
        std::memcpy(d, s, len);
        d[len] = '\0';
    }
    return kOk;
}

Code TagRecord::readTexts(DB_PARAM& p, std::uint16_t n) const noexcept {
    char* dst = static_cast<char*>(p.value.pData);
    std::lock_guard guard(lock_);
    if (!data_) return kTagDeleted;
    for (std::size_t i = 0; i < n; ++i) {
        const char* s = textData() + (p.start + i) * kTagTextSize;
        std::memcpy(dst + i * kTagTextSize, s, strnlen(s, kTagMaxTextLength) + 1);
    }
    return kOk;
}

std::uint32_t TagRecord::lock(std::uint32_t newKey) noexcept {
    if (newKey == 0 || isDeleted()) return 0;
    std::uint32_t expected = 0;
    return lockKey_.compare_exchange_strong(expected, newKey, std::memory_order_acq_rel) ? newKey : 0;
}

Code TagRecord::unlock(std::uint32_t key) noexcept {
    std::uint32_t expected = key;
    if (key != 0 && lockKey_.compare_exchange_strong(expected, 0, std::memory_order_acq_rel)) return kOk;
    return lockKey_.load(std::memory_order_acquire) == 0 ? kTagNotLocked : kTagBadKey;
}

bool TagRecord::snapshot(std::vector<std::uint32_t>& numbers, std::vector<std::string>& texts) const {
    numbers.clear();
    texts.clear();
    if (isDeleted()) return false;
    if (inlineNumber()) {
        numbers.push_back(scalar_.load(std::memory_order_acquire));
        return true;
    }
    // Copy out under the lock; build the strings after it, so that a writer
    // never waits on an allocation.
    if (isTextType(type_)) {
        std::vector<char> copy(std::size_t{count_} * kTagTextSize);
        {
            std::lock_guard guard(lock_);
            if (!data_) return false;
            std::memcpy(copy.data(), textData(), copy.size());
        }
        texts.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) {
            const char* s = copy.data() + i * kTagTextSize;
            texts.emplace_back(s, strnlen(s, kTagMaxTextLength));
        }
        return true;
    }
    numbers.resize(count_);
    std::lock_guard guard(lock_);
    if (!data_) return false;
    std::memcpy(numbers.data(), data_.get(), numbers.size() * sizeof(std::uint32_t));
    return true;
}

bool TagRecord::restore(std::span<const std::uint32_t> numbers, std::span<const std::string> texts) noexcept {
    if (isDeleted()) return false;
    const std::uint16_t base = tagBaseType(type_);
    if (isTextType(type_)) {
        if (texts.size() != count_ || !numbers.empty()) return false;
        for (const auto& t : texts) {
            if (t.size() > kTagMaxTextLength) return false;
        }
        std::lock_guard guard(lock_);
        if (!data_) return false;
        for (std::size_t i = 0; i < count_; ++i) {
            char* d = textData() + i * kTagTextSize;
            std::memcpy(d, texts[i].data(), texts[i].size());
            d[texts[i].size()] = '\0';
        }
        return true;
    }
    if (numbers.size() != count_ || !texts.empty()) return false;
    if (inlineNumber()) {
        scalar_.store(normalised(base, numbers[0]), std::memory_order_release);
        return true;
    }
    std::lock_guard guard(lock_);
    if (!data_) return false;
    for (std::size_t i = 0; i < count_; ++i) data_[i] = normalised(base, numbers[i]);
    return true;
}

}  // namespace kestrune
