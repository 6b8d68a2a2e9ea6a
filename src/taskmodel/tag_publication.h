#pragma once
// The tag a node publishes in the tag database under its task's name and its
// own: whether it was added (so that only a tag this node made is ever
// deleted or renamed by it, never one of the same name that another node
// owns), the handle fetched at run start, and the write of an output value
// through that handle.
//
// Threads: publishing, renaming, attaching and withdrawing belong to the
// user-interface thread; write() belongs to the node's scan thread while the
// node runs (the handle was fetched before the thread was started).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kestrune {

class OutputValue;
class TagDatabase;
class TagRecord;

class TagPublication {
  public:
    struct Shape {
        std::uint16_t type = 0;
        std::uint16_t count = 1;
    };

    // A null database publishes nothing and every operation succeeds quietly.
    explicit TagPublication(TagDatabase* db) : db_(db) {}
    TagPublication(const TagPublication&) = delete;
    TagPublication& operator=(const TagPublication&) = delete;

    // The type and element count AddTag is given.
    void setShape(Shape shape) { shape_ = shape; }
    const std::optional<Shape>& shape() const { return shape_; }

    // AddTag under `task` and `name` with the shape; the tag counts as this
    // node's only when AddTag made it. Does nothing without a shape or when
    // already published. Returns the database's code.
    Code publish(std::string_view task, std::string_view name);
    // DeleteTag of the tag this node published, if any.
    void withdraw(std::string_view task);
    // ChangeTagName of the published tag; nothing to do (0) when none.
    Code rename(std::string_view task, std::string_view newName);

    bool published() const { return published_; }
    const std::string& name() const { return name_; }

    // Fetches the handle of the published tag (nullptr when none).
    void attach(std::string_view task);
    void detach() { handle_ = nullptr; }
    TagRecord* handle() const { return handle_; }

    // Writes `value` (every element it holds, up to the tag's count) through
    // the handle with SetDataExp; 0 when there is no handle.
    Code write(const OutputValue& value);

  private:
    TagDatabase* db_;
    std::optional<Shape> shape_;
    bool published_ = false;
    std::string name_;
    TagRecord* handle_ = nullptr;
    // Elements handed to the database, by the value's type; sized once and
    // reused by every scan.
    std::vector<std::int32_t> integers_;
    std::vector<float> floats_;
    std::vector<char> texts_;
};

}  // namespace kestrune
