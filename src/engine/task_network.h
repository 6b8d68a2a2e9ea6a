#pragma once
// A task's handle on the network client: the remote tags that the task's
// network input blocks subscribe, fetched as one group at the end of every
// scan. The network module implements it over its client library; a task
// made without a network client has no handle and skips these steps, which
// is all a strategy without network inputs needs.
//
// Threads: beginRun and endRun on the main thread (task start, end of the
// stop poll); fetchGroupData on the task's thread between them.

#include <cstdint>
#include <memory>
#include <string_view>

namespace kestrune {

class TaskNetworkHandle {
  public:
    virtual ~TaskNetworkHandle() = default;

    // Task start, after its blocks and scripts are prepared: takes the task's
    // period, connects to the servers of its tags on the configured network
    // port, defines the group and gives its tags their default values.
    virtual void beginRun(std::int32_t periodMs) = 0;
    // End of every scan: the subscribed values into the local tags.
    virtual void fetchGroupData() = 0;
    // Task stopped: disconnects, deletes the group definition and forgets
    // the tags, so the handle is empty again.
    virtual void endRun() = 0;
};

// The process-wide network client, as far as tasks are concerned.
class TaskNetworkClient {
  public:
    virtual ~TaskNetworkClient() = default;
    // One handle per task, made with the task and given back with it.
    virtual std::unique_ptr<TaskNetworkHandle> createClientHandle(std::string_view taskName) = 0;
};

}  // namespace kestrune
