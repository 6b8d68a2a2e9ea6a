#pragma once
// Reading the strategy tool's JSON with the place of every problem. A
// JsonObject reads the members of one object; every accessor leaves its
// output as it was when the member is absent (so the caller's default
// stands), and on a member of the wrong type or outside its range records
// the first problem, with the member's path ("tasks[0].blocks[2].box"), and
// does nothing more from then on, like a failed stream. Members the caller
// does not know are refused, so that a misspelt name is not silently
// ignored.

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/geometry.h"
#include "platform/status.h"

namespace kestrune::ksv {

using Json = nlohmann::ordered_json;

// 32874 "Invalid parameter(s)" with "path: what" as the context.
Status invalidAt(std::string_view path, std::string_view what);

// "tasks" + 2 -> "tasks[2]"; "" + "tasks" -> "tasks"; "a" + "b" -> "a.b".
std::string memberPath(std::string_view parent, std::string_view key);
std::string elementPath(std::string_view parent, std::size_t index);

// Parses the text. 32855 with "line L, column C: what" on a syntax error.
Status parseJson(std::string_view text, Json& out);

class JsonObject {
  public:
    // `value` must outlive the reader; anything but an object is a problem.
    JsonObject(const Json& value, std::string path);

    explicit operator bool() const { return problem_.ok(); }
    const Status& problem() const { return problem_; }
    const std::string& path() const { return path_; }
    std::string pathOf(std::string_view key) const { return memberPath(path_, key); }

    // Refuses any member not named here.
    void allowOnly(std::initializer_list<std::string_view> keys);

    // The member, or nullptr when absent (or after a problem).
    const Json* find(std::string_view key) const;
    bool has(std::string_view key) const { return find(key) != nullptr; }

    template <class T>
    void integer(std::string_view key, T& out, std::int64_t min = std::numeric_limits<T>::min(),
                 std::int64_t max = std::numeric_limits<T>::max()) {
        std::int64_t v = 0;
        if (readInteger(key, min, max, v)) out = static_cast<T>(v);
    }
    void boolean(std::string_view key, bool& out);
    // Any number; "nan", "inf" and "-inf" stand for the values JSON has no
    // number for.
    void number(std::string_view key, double& out);
    // At most `maxLength` bytes and no zero byte (the file stores texts with
    // a terminator). `allowEmpty` false refuses "".
    void text(std::string_view key, std::string& out, std::size_t maxLength, bool allowEmpty = true);
    // [x, y] and [left, top, right, bottom].
    void point(std::string_view key, Point& out);
    void rect(std::string_view key, Rect& out);
    // The member when it is an array / an object; nullptr when absent or wrong.
    const Json* array(std::string_view key);
    const Json* object(std::string_view key);

    // Records a problem of the caller's own at `key` (unless one is recorded).
    void fail(std::string_view key, std::string_view what);

  private:
    bool readInteger(std::string_view key, std::int64_t min, std::int64_t max, std::int64_t& out);

    const Json& value_;
    std::string path_;
    Status problem_;
};

// The same checks for values that are not object members (array elements,
// settings): each answers a problem at `path`, or 0 with `out` written.
Status readInteger(const Json& value, std::string_view path, std::int64_t min, std::int64_t max,
                   std::int64_t& out);
Status readNumber(const Json& value, std::string_view path, double& out);
Status readPoint(const Json& value, std::string_view path, Point& out);

// A number as JSON: finite values as numbers, the others as "nan", "inf", "-inf".
Json numberJson(double v);

}  // namespace kestrune::ksv
