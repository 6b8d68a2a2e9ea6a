#pragma once
// The tag database: every process value of a running strategy, addressed by
// task and tag name, by numeric tag id, or by the record pointer that serves
// as a fast handle. One instance lives from start-up to exit.
//
// Names are upper-cased on the way in ("task1" is "TASK1"); see tag_key.h for
// what a name may hold. Results are 0 or one of the codes of tagdb_codes.h.
//
// Threads: every operation may be called from any thread at any time. A
// read or write through a handle or an id takes no database-wide lock and
// allocates nothing (see tag_record.h for the per-tag discipline); a lookup
// by name shares one reader lock that only adding, deleting and renaming
// take exclusively. Handles and ids stay valid until the database is
// destroyed: a deleted tag's record is kept, and answers kTagDeleted.
//
// Locks: LockTag hands out a key (never 0); while a tag is locked, ordinary
// writes get kTagLocked and keyed writes with another key kTagBadKey.
// Disabled tags refuse writes (kTagDisabled) and still read.
//
// Values: a record moves whole or not at all. Numbers convert between the
// integer and float types, strings never convert (kTagTypeMismatch); an
// element range past the tag is refused (kTagIndexRange); a text with no
// terminator in its 128-byte buffer is refused, not cut (kTagStringTooLong),
// so callers that accept longer input cut it to 127 characters themselves.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "components/tagdb/db_param.h"
#include "components/tagdb/tag_directory.h"
#include "components/tagdb/tag_key.h"
#include "components/tagdb/tag_record.h"
#include "components/tagdb/tagdb_codes.h"
#include "components/tagdb/task_record.h"
#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

// Fixed names: task "TASK0" holds "SYSINFO" (bit 0: application started,
// bit 1: running); "VIRTASK" holds the virtual tags.
inline constexpr std::string_view kSystemTaskName = "TASK0";
inline constexpr std::string_view kSystemInfoTagName = "SYSINFO";
inline constexpr std::string_view kVirtualTaskName = "VIRTASK";
inline constexpr std::int32_t kSystemInfoStarted = 1;
inline constexpr std::int32_t kSystemInfoRunning = 2;

// What GetTagType and GetTagTypeX answer for an unknown tag.
inline constexpr std::uint16_t kUnknownTagType = 0xFFFF;

class TagDatabase {
  public:
    TagDatabase();
    TagDatabase(const TagDatabase&) = delete;
    TagDatabase& operator=(const TagDatabase&) = delete;

    // Tasks. A known task keeps its owner unless it had none.
    Code AddTaskName(std::string_view task, void* owner = nullptr);
    Code DeleteTaskName(std::string_view task);  // and every tag in it
    Code ChangeTaskName(std::string_view oldName, std::string_view newName);
    void* GetTaskHandle(std::string_view task) const { return dir_.taskOwner(task); }
    TaskRecord* GetTaskRecordPtr(std::string_view task) const { return dir_.findTask(task); }
    // Names in creation order; the lists are copies (nothing to release).
    std::vector<std::string> GetTaskList() const { return dir_.taskNames(); }
    std::vector<std::string> GetTagList(std::string_view task) const { return dir_.tagNames(task); }

    // Tags. AddTag creates an unknown task on the way; an existing tag is
    // left as it is (kTagExists). New tags are enabled, unlocked, not held,
    // and hold zeros or empty texts.
    Code AddTag(std::string_view task, std::string_view tag, std::uint16_t type, std::uint16_t count = 1);
    Code DeleteTag(std::string_view task, std::string_view tag);
    Code ChangeTagName(std::string_view task, std::string_view oldName, std::string_view newName);
    bool IsTagExist(std::string_view task, std::string_view tag) const { return find(task, tag) != nullptr; }
    std::uint16_t GetTagType(std::string_view task, std::string_view tag) const;
    std::uint16_t GetTagTypeX(std::uint32_t id) const;
    // Fills type and count (start 0, value untouched).
    Code GetDataInfo(std::string_view task, std::string_view tag, DB_PARAM* info) const;
    // The id, or kTagIdUnknownTask / kTagIdUnknownTag.
    std::uint32_t GetTagID(std::string_view task, std::string_view tag) const { return dir_.idOf(task, tag); }
    TagRecord* GetTagEntryPtr(std::string_view task, std::string_view tag) const { return find(task, tag); }
    TagRecord* GetTagEntryPtrX(std::uint32_t id) const;

    // Values by handle: the fast path of the scans.
    Code SetDataExp(TagRecord* tag, const DB_PARAM* p) { return tag && p ? tag->write(*p) : nullCode(tag); }
    Code GetDataExp(const TagRecord* tag, DB_PARAM* p) const {
        return tag && p ? tag->read(*p) : nullCode(tag);
    }
    Code SetLockedDataExp(TagRecord* tag, std::uint32_t key, const DB_PARAM* p) {
        return tag && p ? tag->writeLocked(*p, key) : nullCode(tag);
    }
    // By name and by id. By name, a tag deleted by another thread between
    // the lookup and the access answers kTagUnknownTag, as if never found.
    Code SetData(std::string_view task, std::string_view tag, const DB_PARAM* p);
    Code GetData(std::string_view task, std::string_view tag, DB_PARAM* p) const;
    Code SetDataX(std::uint32_t id, const DB_PARAM* p) { return SetDataExp(findById(id), p); }
    Code GetDataX(std::uint32_t id, DB_PARAM* p) const { return GetDataExp(findById(id), p); }
    Code SetLockedData(std::string_view task, std::string_view tag, std::uint32_t key, const DB_PARAM* p);
    Code SetLockedDataX(std::uint32_t id, std::uint32_t key, const DB_PARAM* p) {
        return SetLockedDataExp(findById(id), key, p);
    }

    Code EnableTag(std::string_view task, std::string_view tag, bool on);
    Code EnableTagX(std::uint32_t id, bool on);
    bool IsTagEnabled(std::string_view task, std::string_view tag) const;
    bool IsTagEnabledX(std::uint32_t id) const;

    // Flag 1: the value is kept in the hold file.
    Code HoldTag(std::string_view task, std::string_view tag, bool flag);
    bool IsTagHeld(std::string_view task, std::string_view tag) const;

    // The key, or 0 when the tag is unknown, deleted or already locked.
    std::uint32_t LockTag(std::string_view task, std::string_view tag);
    std::uint32_t LockTagX(std::uint32_t id);
    // kOk, kTagBadKey (another key), kTagNotLocked, or an unknown-tag code.
    Code UnlockTag(std::string_view task, std::string_view tag, std::uint32_t key);
    Code UnlockTagX(std::uint32_t id, std::uint32_t key);
    bool IsTagLocked(std::string_view task, std::string_view tag) const;
    bool IsTagLockedX(std::uint32_t id) const;
    void ClearAllLockedTag();

    // True while bit 1 ("running") of TASK0/SYSINFO is set.
    bool GetRunStatus() const;

    // save != 0: writes every held tag to `path`; 0: reads `path` back (see
    // loadHoldFile). Returns kOk or a hold-file code.
    Code SerializeAll(const std::string& path, int save);
    // The same with the reason in the context. Saving replaces the file
    // atomically (hold_file.h). Loading checks the whole file before it
    // changes any value; a missing, unreadable, damaged or newer file changes
    // nothing. Each entry then goes to the existing tag of that task and name
    // when its type and count are still the same (otherwise it is skipped),
    // and that tag is marked held: the owners of held tags (output blocks,
    // operator items) set their hold flags only at run start, after the
    // strategy and its hold file were loaded, and a tag whose owner no longer
    // wants it held is released by its owner's HoldTag(..., 0) then.
    Status saveHoldFile(const std::string& path, FileSystemCalls& calls = FileSystemCalls::system());
    Status loadHoldFile(const std::string& path);

  private:
    static Code nullCode(const TagRecord* tag) { return tag ? kTagBadRecord : kTagUnknownTag; }
    TagRecord* find(std::string_view task, std::string_view tag, Code* why = nullptr) const {
        return dir_.find(task, tag, why);
    }
    TagRecord* findById(std::uint32_t id) const noexcept { return dir_.findById(id); }
    std::uint32_t nextKey() noexcept;

    TagDirectory dir_;
    std::atomic<std::uint32_t> keyCounter_;
    std::mutex holdFileMutex_;  // one save or load at a time
};

using CDBCenter = TagDatabase;

}  // namespace kestrune
