#pragma once
// One task of the tag database: a name under which tags live, and the object
// that registered it (a scan task, or none for a display). A `TaskRecord*`
// is the handle `GetTaskRecordPtr` gives out; like tag records, task records
// are never freed before the database, so a stale handle stays harmless.
// Everything here belongs to the TagDirectory and is guarded by its lock.

#include <string>
#include <unordered_set>

namespace kestrune {

class TagRecord;

class TaskRecord {
  public:
    TaskRecord() = default;
    TaskRecord(const TaskRecord&) = delete;
    TaskRecord& operator=(const TaskRecord&) = delete;

  private:
    friend class TagDirectory;

    std::string name_;
    void* owner_ = nullptr;
    bool deleted_ = false;
    std::unordered_set<TagRecord*> tags_;
};

using CTaskRec = TaskRecord;

}  // namespace kestrune
