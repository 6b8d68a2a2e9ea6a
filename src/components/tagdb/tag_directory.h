#pragma once
// The names of the tag database: tasks, tags, their ids, and the records
// behind them.
//
// Threads: one std::shared_mutex guards the name maps and every record's
// name; lookups share it, adding, deleting and renaming take it alone. Tag
// records live in a StableArena and are never freed before the directory, so
// a record found under the lock stays usable after the lock is released, and
// an id resolves to its record without any lock. A lookup by name builds its
// key "TASK\0TAG" on the stack (TagKey) and finds it in one flat NameIndex
// whose entries point straight at the records.

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "components/tagdb/name_index.h"
#include "components/tagdb/stable_arena.h"
#include "components/tagdb/tag_record.h"
#include "components/tagdb/task_record.h"

namespace kestrune {

class TagDirectory {
  public:
    TagDirectory() = default;
    TagDirectory(const TagDirectory&) = delete;
    TagDirectory& operator=(const TagDirectory&) = delete;

    // The live tag, or null with `why` set (kTagBadName, kTagUnknownTask, kTagUnknownTag).
    TagRecord* find(std::string_view task, std::string_view tag, Code* why = nullptr) const;
    // The record of an id, deleted or not (it answers kTagDeleted), or null.
    TagRecord* findById(std::uint32_t id) const noexcept;
    // The id, or kTagIdUnknownTask / kTagIdUnknownTag.
    std::uint32_t idOf(std::string_view task, std::string_view tag) const;

    TaskRecord* findTask(std::string_view task) const;
    // The owner registered with the task; null when unknown or registered without one.
    void* taskOwner(std::string_view task) const;

    // A known task keeps its owner unless it had none (kTaskExists for a different owner).
    Code addTask(std::string_view task, void* owner);
    // Deletes the task and every tag in it.
    Code deleteTask(std::string_view task);
    Code renameTask(std::string_view oldName, std::string_view newName);

    // An unknown task is created on the way, without an owner.
    Code addTag(std::string_view task, std::string_view tag, std::uint16_t type, std::uint16_t count);
    Code deleteTag(std::string_view task, std::string_view tag);
    Code renameTag(std::string_view task, std::string_view oldName, std::string_view newName);

    // Names in the order they were created; an unknown task has no tags.
    std::vector<std::string> taskNames() const;
    std::vector<std::string> tagNames(std::string_view task) const;

    // Calls `fn(task, tag, record)` for every live tag, under the shared lock
    // (fn must not call back into the directory).
    void forEachTag(const std::function<void(std::string_view, std::string_view, TagRecord&)>& fn) const;
    // Every record ever created, live or not; takes no lock.
    template <class Fn>
    void forEachRecord(Fn&& fn) const {
        const std::size_t n = records_.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (TagRecord* r = records_.at(i)) fn(*r);
        }
    }

  private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    struct TagKeyOf {
        std::string_view operator()(const TagRecord& r) const noexcept { return r.key_; }
    };
    struct TagById {
        const StableArena<TagRecord>* records;
        TagRecord* operator()(std::uint32_t id) const noexcept { return records->at(id - 1); }
    };

    TaskRecord* findTaskLocked(std::string_view normalisedName) const;
    void dropTagLocked(TaskRecord* task, TagRecord* tag);

    mutable std::shared_mutex mutex_;
    StableArena<TagRecord> records_;
    std::vector<std::unique_ptr<TaskRecord>> taskStore_;  // creation order, deleted ones kept
    std::unordered_map<std::string, TaskRecord*, NameHash, std::equal_to<>> tasks_;
    NameIndex<TagRecord, TagKeyOf, TagById> tags_{TagById{&records_}};  // by TagKey
};

}  // namespace kestrune
