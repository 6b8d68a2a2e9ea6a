#pragma once
// Result codes. An operation returns 0 for success; otherwise a string-table
// message id (32xxx, 33xxx, 34xxx, 61xxx) or a device or OPC error code.
// Nothing throws across a module boundary: callers test the code.

#include <cstdint>
#include <string>
#include <utility>

namespace kestrune {

using Code = std::int32_t;
inline constexpr Code kOk = 0;

// A code with the context a user needs to act on it (a file name, a task and
// block, the byte offset where a reader stopped).
struct Status {
    Code code = kOk;
    std::string context;

    Status() = default;
    Status(Code c) : code(c) {}  // NOLINT(google-explicit-constructor): codes convert freely
    Status(Code c, std::string ctx) : code(c), context(std::move(ctx)) {}

    bool ok() const { return code == kOk; }
    explicit operator bool() const { return ok(); }
};

}  // namespace kestrune
