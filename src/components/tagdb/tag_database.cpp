#include "components/tagdb/tag_database.h"

#include <chrono>
#include <random>

#include "components/tagdb/hold_file.h"

namespace kestrune {

namespace {

// A fixed 32-bit mixing function (the finaliser of MurmurHash3): a bijection,
// so distinct counter values give distinct keys, yet consecutive keys look
// unrelated and a client cannot guess another client's key from its own.
std::uint32_t mixKey(std::uint32_t x) noexcept {
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x;
}

std::uint32_t randomSeed() {
    try {
        return std::random_device{}();
    } catch (...) {
        return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

// A tag deleted between the lookup and the access was, for a caller by
// name, simply not there.
Code byName(Code c) {
    return c == kTagDeleted ? kTagUnknownTag : c;
}

}  // namespace

TagDatabase::TagDatabase() : keyCounter_(randomSeed()) {}

std::uint32_t TagDatabase::nextKey() noexcept {
    for (;;) {
        // An odd step visits every 32-bit value once before repeating.
        const std::uint32_t key = mixKey(keyCounter_.fetch_add(0x9E3779B9u, std::memory_order_relaxed));
        if (key != 0) return key;
    }
}

Code TagDatabase::AddTaskName(std::string_view task, void* owner) {
    return dir_.addTask(task, owner);
}
Code TagDatabase::DeleteTaskName(std::string_view task) {
    return dir_.deleteTask(task);
}
Code TagDatabase::ChangeTaskName(std::string_view oldName, std::string_view newName) {
    return dir_.renameTask(oldName, newName);
}

Code TagDatabase::AddTag(std::string_view task, std::string_view tag, std::uint16_t type,
                         std::uint16_t count) {
    return dir_.addTag(task, tag, type, count);
}
Code TagDatabase::DeleteTag(std::string_view task, std::string_view tag) {
    return dir_.deleteTag(task, tag);
}
Code TagDatabase::ChangeTagName(std::string_view task, std::string_view oldName, std::string_view newName) {
    return dir_.renameTag(task, oldName, newName);
}

std::uint16_t TagDatabase::GetTagType(std::string_view task, std::string_view tag) const {
    const TagRecord* r = find(task, tag);
    return r ? r->type() : kUnknownTagType;
}

std::uint16_t TagDatabase::GetTagTypeX(std::uint32_t id) const {
    const TagRecord* r = findById(id);
    return r && !r->isDeleted() ? r->type() : kUnknownTagType;
}

Code TagDatabase::GetDataInfo(std::string_view task, std::string_view tag, DB_PARAM* info) const {
    Code why = kOk;
    const TagRecord* r = find(task, tag, &why);
    if (r == nullptr) return why;
    if (info == nullptr) return kTagBadRecord;
    info->type = r->type();
    info->start = 0;
    info->count = r->count();
    return kOk;
}

TagRecord* TagDatabase::GetTagEntryPtrX(std::uint32_t id) const {
    TagRecord* r = findById(id);
    return r && !r->isDeleted() ? r : nullptr;
}

Code TagDatabase::SetData(std::string_view task, std::string_view tag, const DB_PARAM* p) {
    Code why = kOk;
    TagRecord* r = find(task, tag, &why);
    return r ? byName(SetDataExp(r, p)) : why;
}

Code TagDatabase::GetData(std::string_view task, std::string_view tag, DB_PARAM* p) const {
    Code why = kOk;
    const TagRecord* r = find(task, tag, &why);
    return r ? byName(GetDataExp(r, p)) : why;
}

Code TagDatabase::SetLockedData(std::string_view task, std::string_view tag, std::uint32_t key,
                                const DB_PARAM* p) {
    Code why = kOk;
    TagRecord* r = find(task, tag, &why);
    return r ? byName(SetLockedDataExp(r, key, p)) : why;
}

Code TagDatabase::EnableTag(std::string_view task, std::string_view tag, bool on) {
    Code why = kOk;
    TagRecord* r = find(task, tag, &why);
    if (r) r->setEnabled(on);
    return why;
}

Code TagDatabase::EnableTagX(std::uint32_t id, bool on) {
    TagRecord* r = GetTagEntryPtrX(id);
    if (r == nullptr) return kTagUnknownTag;
    r->setEnabled(on);
    return kOk;
}

bool TagDatabase::IsTagEnabled(std::string_view task, std::string_view tag) const {
    const TagRecord* r = find(task, tag);
    return r && r->isEnabled();
}

bool TagDatabase::IsTagEnabledX(std::uint32_t id) const {
    const TagRecord* r = GetTagEntryPtrX(id);
    return r && r->isEnabled();
}

Code TagDatabase::HoldTag(std::string_view task, std::string_view tag, bool flag) {
    Code why = kOk;
    TagRecord* r = find(task, tag, &why);
    if (r) r->setHeld(flag);
    return why;
}

bool TagDatabase::IsTagHeld(std::string_view task, std::string_view tag) const {
    const TagRecord* r = find(task, tag);
    return r && r->isHeld();
}

std::uint32_t TagDatabase::LockTag(std::string_view task, std::string_view tag) {
    TagRecord* r = find(task, tag);
    return r ? r->lock(nextKey()) : 0;
}

std::uint32_t TagDatabase::LockTagX(std::uint32_t id) {
    TagRecord* r = GetTagEntryPtrX(id);
    return r ? r->lock(nextKey()) : 0;
}

Code TagDatabase::UnlockTag(std::string_view task, std::string_view tag, std::uint32_t key) {
    Code why = kOk;
    TagRecord* r = find(task, tag, &why);
    return r ? r->unlock(key) : why;
}

Code TagDatabase::UnlockTagX(std::uint32_t id, std::uint32_t key) {
    TagRecord* r = GetTagEntryPtrX(id);
    return r ? r->unlock(key) : kTagUnknownTag;
}

bool TagDatabase::IsTagLocked(std::string_view task, std::string_view tag) const {
    const TagRecord* r = find(task, tag);
    return r && r->isLocked();
}

bool TagDatabase::IsTagLockedX(std::uint32_t id) const {
    const TagRecord* r = GetTagEntryPtrX(id);
    return r && r->isLocked();
}

void TagDatabase::ClearAllLockedTag() {
    dir_.forEachRecord([](TagRecord& r) { r.clearLock(); });
}

bool TagDatabase::GetRunStatus() const {
    DB_PARAM p = DB_PARAM::Int(0);
    return GetData(kSystemTaskName, kSystemInfoTagName, &p) == kOk && (p.value.lVal & kSystemInfoRunning);
}

Code TagDatabase::SerializeAll(const std::string& path, int save) {
    return (save != 0 ? saveHoldFile(path) : loadHoldFile(path)).code;
}

Status TagDatabase::saveHoldFile(const std::string& path, FileSystemCalls& calls) {
    std::lock_guard guard(holdFileMutex_);
    std::vector<HoldEntry> entries;
    try {
        dir_.forEachTag([&](std::string_view task, std::string_view tag, TagRecord& r) {
            if (!r.isHeld()) return;
            HoldEntry e{std::string(task), std::string(tag), r.type(), r.count(), {}, {}};
            if (r.snapshot(e.numbers, e.texts)) entries.push_back(std::move(e));
        });
        return writeHoldFile(path, encodeHoldFile(entries), calls);
    } catch (const std::bad_alloc&) {
        return {kHoldFileWrite, path + ": out of memory"};
    }
}

Status TagDatabase::loadHoldFile(const std::string& path) {
    std::lock_guard guard(holdFileMutex_);
    try {
        std::vector<std::uint8_t> bytes;
        if (Status s = readHoldFile(path, bytes); !s.ok()) return s;
        std::vector<HoldEntry> entries;
        if (Status s = decodeHoldFile(bytes, entries); !s.ok()) return {s.code, path + ": " + s.context};
        std::size_t restored = 0;
        for (const HoldEntry& e : entries) {
            TagRecord* r = find(e.task, e.tag);
            if (r && r->type() == e.type && r->count() == e.count && r->restore(e.numbers, e.texts)) {
                r->setHeld(true);
                ++restored;
            }
        }
        return {kOk,
                std::to_string(restored) + " of " + std::to_string(entries.size()) + " held values restored"};
    } catch (const std::bad_alloc&) {
        return {kHoldFileUnreadable, path + ": out of memory"};
    }
}

}  // namespace kestrune
