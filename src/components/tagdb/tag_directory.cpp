#include "components/tagdb/tag_directory.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "components/tagdb/tag_key.h"

namespace kestrune {

TagRecord* TagDirectory::find(std::string_view task, std::string_view tag, Code* why) const {
    TagKey key;
    Code code = kTagBadName;
    TagRecord* found = nullptr;
    if (key.set(task, tag)) {
        std::shared_lock lock(mutex_);
        found = tags_.find(key.key());
        if (found == nullptr) code = findTaskLocked(key.task()) ? kTagUnknownTag : kTagUnknownTask;
    }
    if (why) *why = found ? kOk : code;
    return found;
}

TagRecord* TagDirectory::findById(std::uint32_t id) const noexcept {
    return id == 0 ? nullptr : records_.at(id - 1);
}

std::uint32_t TagDirectory::idOf(std::string_view task, std::string_view tag) const {
    Code why = kOk;
    if (TagRecord* r = find(task, tag, &why)) return r->id();
    // A name that cannot exist is simply unknown.
    if (why == kTagBadName) {
        return findTask(task) ? kTagIdUnknownTag : kTagIdUnknownTask;
    }
    return static_cast<std::uint32_t>(why);
}

TaskRecord* TagDirectory::findTaskLocked(std::string_view normalisedName) const {
    auto it = tasks_.find(normalisedName);
    return it == tasks_.end() ? nullptr : it->second;
}

TaskRecord* TagDirectory::findTask(std::string_view task) const {
    TagKey key;
    if (!key.setTask(task)) return nullptr;
    std::shared_lock lock(mutex_);
    return findTaskLocked(key.task());
}

void* TagDirectory::taskOwner(std::string_view task) const {
    TagKey key;
    if (!key.setTask(task)) return nullptr;
    std::shared_lock lock(mutex_);
    const TaskRecord* t = findTaskLocked(key.task());
    return t ? t->owner_ : nullptr;
}

Code TagDirectory::addTask(std::string_view task, void* owner) {
    TagKey key;
    if (!key.setTask(task)) return kTagBadName;
    try {
        std::unique_lock lock(mutex_);
        if (TaskRecord* t = findTaskLocked(key.task())) {
            if (t->owner_ != nullptr && owner != nullptr && t->owner_ != owner) return kTaskExists;
            if (owner != nullptr) t->owner_ = owner;
            return kOk;
        }
        auto record = std::make_unique<TaskRecord>();
        record->name_ = std::string(key.task());
        record->owner_ = owner;
        tasks_.emplace(record->name_, record.get());
        taskStore_.push_back(std::move(record));
        return kOk;
    } catch (const std::bad_alloc&) {
        return kTagDatabaseFull;
    }
}

void TagDirectory::dropTagLocked(TaskRecord* task, TagRecord* tag) {
    tags_.erase(tag->key_);
    task->tags_.erase(tag);
    tag->markDeleted();
}

Code TagDirectory::deleteTask(std::string_view task) {
    TagKey key;
    if (!key.setTask(task)) return kTagBadName;
    std::unique_lock lock(mutex_);
    auto it = tasks_.find(key.task());
    if (it == tasks_.end()) return kTagUnknownTask;
    TaskRecord* t = it->second;
    for (TagRecord* tag : std::vector<TagRecord*>(t->tags_.begin(), t->tags_.end())) dropTagLocked(t, tag);
    tasks_.erase(it);
    t->deleted_ = true;
    t->owner_ = nullptr;
    return kOk;
}

Code TagDirectory::renameTask(std::string_view oldName, std::string_view newName) {
    TagKey from;
    TagKey to;
    if (!from.setTask(oldName) || !to.setTask(newName)) return kTagBadName;
    try {
        std::unique_lock lock(mutex_);
        auto it = tasks_.find(from.task());
        if (it == tasks_.end()) return kTagUnknownTask;
        if (from.task() == to.task()) return kOk;
        if (tasks_.find(to.task()) != tasks_.end()) return kTaskExists;
        TaskRecord* t = it->second;
        auto node = tasks_.extract(it);
        node.key() = std::string(to.task());
        t->name_ = node.key();
        tasks_.insert(std::move(node));
        for (TagRecord* tag : t->tags_) {
            std::string newKey = TagKey::compose(t->name_, tag->tagName());
            tags_.erase(tag->key_);
            tag->key_ = std::move(newKey);
            tags_.insert(tag);
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return kTagDatabaseFull;
    }
}

Code TagDirectory::addTag(std::string_view task, std::string_view tag, std::uint16_t type,
                          std::uint16_t count) {
    TagKey key;
    if (!key.set(task, tag)) return kTagBadName;
    if (!isValidTagType(type)) return kTagBadType;
    if (count == 0) return kTagBadRecord;
    if (Code c = addTask(key.task(), nullptr); c != kOk) return c;
    try {
        std::unique_lock lock(mutex_);
        if (tags_.find(key.key()) != nullptr) return kTagExists;
        // The task may have gone between the two locks; then this add fails
        // as any add to an unknown task that raced with its deletion would.
        TaskRecord* t = findTaskLocked(key.task());
        if (t == nullptr) return kTagUnknownTask;
        TagRecord* record = records_.append();
        if (record == nullptr) return kTagDatabaseFull;
        const auto id = static_cast<std::uint32_t>(records_.size() + 1);
        record->init(id, std::string(key.key()), type, count);
        t->tags_.insert(record);
        try {
            tags_.insert(record);
        } catch (const std::bad_alloc&) {
            t->tags_.erase(record);
            throw;
        }
        records_.publish();
        return kOk;
    } catch (const std::bad_alloc&) {
        return kTagDatabaseFull;
    }
}

Code TagDirectory::deleteTag(std::string_view task, std::string_view tag) {
    TagKey key;
    if (!key.set(task, tag)) return kTagBadName;
    std::unique_lock lock(mutex_);
    TagRecord* record = tags_.find(key.key());
    if (record == nullptr) return findTaskLocked(key.task()) ? kTagUnknownTag : kTagUnknownTask;
    dropTagLocked(findTaskLocked(key.task()), record);
    return kOk;
}

Code TagDirectory::renameTag(std::string_view task, std::string_view oldName, std::string_view newName) {
    TagKey from;
    TagKey to;
    if (!from.set(task, oldName) || !to.set(task, newName)) return kTagBadName;
    try {
        std::unique_lock lock(mutex_);
        TagRecord* record = tags_.find(from.key());
        if (record == nullptr) return findTaskLocked(from.task()) ? kTagUnknownTag : kTagUnknownTask;
        if (from.key() == to.key()) return kOk;
        if (tags_.find(to.key()) != nullptr) return kTagExists;
        std::string newKey(to.key());
        tags_.erase(record->key_);
        record->key_ = std::move(newKey);
        tags_.insert(record);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kTagDatabaseFull;
    }
}

std::vector<std::string> TagDirectory::taskNames() const {
    std::vector<std::string> names;
    std::shared_lock lock(mutex_);
    for (const auto& t : taskStore_) {
        if (!t->deleted_) names.push_back(t->name_);
    }
    return names;
}

std::vector<std::string> TagDirectory::tagNames(std::string_view task) const {
    TagKey key;
    if (!key.setTask(task)) return {};
    std::shared_lock lock(mutex_);
    const TaskRecord* t = findTaskLocked(key.task());
    if (t == nullptr) return {};
    std::vector<const TagRecord*> records(t->tags_.begin(), t->tags_.end());
    std::sort(records.begin(), records.end(), [](auto* a, auto* b) { return a->id() < b->id(); });
    std::vector<std::string> names;
    names.reserve(records.size());
    for (const TagRecord* r : records) names.emplace_back(r->tagName());
    return names;
}

void TagDirectory::forEachTag(
    const std::function<void(std::string_view, std::string_view, TagRecord&)>& fn) const {
    std::shared_lock lock(mutex_);
    const std::size_t n = records_.size();
    for (std::size_t i = 0; i < n; ++i) {
        TagRecord* r = records_.at(i);
        if (!r->isDeleted()) fn(r->taskName(), r->tagName(), *r);
    }
}

}  // namespace kestrune
