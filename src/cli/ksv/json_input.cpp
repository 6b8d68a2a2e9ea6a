#include "cli/ksv/json_input.h"

#include <cmath>
#include <string>

#include "resources/message_ids.h"

namespace kestrune::ksv {
namespace {

constexpr Code kInvalidParameters = 32874;

const char* typeName(const Json& v) {
    if (v.is_number_integer()) return "an integer";
    if (v.is_number()) return "a number";
    return v.type_name();
}

std::string expected(std::string_view what, const Json& got) {
    return "expected " + std::string(what) + ", found " + typeName(got);
}

// Line and column (from 1) of a byte offset, for syntax errors.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

// The library's own words without its "[json.exception...] parse error at ...: " prefix.
std::string syntaxProblem(const std::string& what) {
    const std::size_t colon = what.find(": ");
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

}  // namespace

Status invalidAt(std::string_view path, std::string_view what) {
    return {kInvalidParameters, std::string(path) + ": " + std::string(what)};
}

std::string memberPath(std::string_view parent, std::string_view key) {
    if (parent.empty()) return std::string(key);
    return std::string(parent) + "." + std::string(key);
}

std::string elementPath(std::string_view parent, std::size_t index) {
    return std::string(parent) + "[" + std::to_string(index) + "]";
}

Status parseJson(std::string_view text, Json& out) {
    try {
        out = Json::parse(text);
        return {};
    } catch (const Json::parse_error& e) {
        // The library counts the offending byte from 1; the place is the byte itself.
        const std::size_t at = e.byte > 0 ? e.byte - 1 : 0;
        const auto [line, column] = lineAndColumn(text, at);
        return {kMsgInvalidFileFormat, "line " + std::to_string(line) + ", column " + std::to_string(column) +
                                           ": " + syntaxProblem(e.what())};
    } catch (const std::exception& e) {
        return {kMsgInvalidFileFormat, e.what()};
    }
}

JsonObject::JsonObject(const Json& value, std::string path) : value_(value), path_(std::move(path)) {
    if (!value_.is_object())
        problem_ = invalidAt(path_.empty() ? "(top)" : path_, expected("an object", value_));
}

void JsonObject::fail(std::string_view key, std::string_view what) {
    if (problem_) problem_ = invalidAt(pathOf(key), what);
}

void JsonObject::allowOnly(std::initializer_list<std::string_view> keys) {
    if (!problem_) return;
    for (const auto& [key, member] : value_.items()) {
        bool known = false;
        for (const std::string_view k : keys) known = known || k == key;
        if (!known) {
            fail(key, "unknown member");
            return;
        }
    }
}

const Json* JsonObject::find(std::string_view key) const {
    if (!problem_) return nullptr;
    const auto it = value_.find(std::string(key));
    return it == value_.end() ? nullptr : &*it;
}

bool JsonObject::readInteger(std::string_view key, std::int64_t min, std::int64_t max, std::int64_t& out) {
    const Json* v = find(key);
    if (v == nullptr) return false;
    if (Status s = ksv::readInteger(*v, pathOf(key), min, max, out); !s) {
        problem_ = std::move(s);
        return false;
    }
    return true;
}

void JsonObject::boolean(std::string_view key, bool& out) {
    const Json* v = find(key);
    if (v == nullptr) return;
    if (!v->is_boolean()) return fail(key, expected("true or false", *v));
    out = v->get<bool>();
}

void JsonObject::number(std::string_view key, double& out) {
    const Json* v = find(key);
    if (v == nullptr) return;
    if (Status s = readNumber(*v, pathOf(key), out); !s) problem_ = std::move(s);
}

void JsonObject::text(std::string_view key, std::string& out, std::size_t maxLength, bool allowEmpty) {
    const Json* v = find(key);
    if (v == nullptr) return;
    if (!v->is_string()) return fail(key, expected("a string", *v));
    const auto& s = v->get_ref<const std::string&>();
    if (s.size() > maxLength) return fail(key, "longer than " + std::to_string(maxLength) + " characters");
    if (s.find('\0') != std::string::npos) return fail(key, "holds a zero character");
    if (!allowEmpty && s.empty()) return fail(key, "must not be empty");
    out = s;
}

void JsonObject::point(std::string_view key, Point& out) {
    const Json* v = find(key);
    if (v == nullptr) return;
    if (Status s = readPoint(*v, pathOf(key), out); !s) problem_ = std::move(s);
}

void JsonObject::rect(std::string_view key, Rect& out) {
    const Json* v = find(key);
    if (v == nullptr) return;
    if (!v->is_array() || v->size() != 4) return fail(key, "expected [left, top, right, bottom]");
    std::int64_t c[4];
    for (std::size_t i = 0; i < 4; ++i) {
        Status s =
            ksv::readInteger((*v)[i], elementPath(pathOf(key), i), std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max(), c[i]);
        if (!s) {
            problem_ = std::move(s);
            return;
        }
    }
    out = {static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]), static_cast<int>(c[3])};
}

const Json* JsonObject::array(std::string_view key) {
    const Json* v = find(key);
    if (v == nullptr) return nullptr;
    if (!v->is_array()) {
        fail(key, expected("an array", *v));
        return nullptr;
    }
    return v;
}

const Json* JsonObject::object(std::string_view key) {
    const Json* v = find(key);
    if (v == nullptr) return nullptr;
    if (!v->is_object()) {
        fail(key, expected("an object", *v));
        return nullptr;
    }
    return v;
}

Status readInteger(const Json& value, std::string_view path, std::int64_t min, std::int64_t max,
                   std::int64_t& out) {
    const std::string range = "from " + std::to_string(min) + " to " + std::to_string(max);
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(max) || (min > 0 && u < static_cast<std::uint64_t>(min))) {
            return invalidAt(path, "must be " + range);
        }
        out = static_cast<std::int64_t>(u);
        return {};
    }
    if (!value.is_number_integer()) return invalidAt(path, expected("an integer", value));
    const auto i = value.get<std::int64_t>();
    if (i < min || i > max) return invalidAt(path, "must be " + range);
    out = i;
    return {};
}

Status readNumber(const Json& value, std::string_view path, double& out) {
    if (value.is_number()) {
        out = value.get<double>();
        return {};
    }
    if (value.is_string()) {
        const auto& s = value.get_ref<const std::string&>();
        if (s == "nan")
            out = std::nan("");
        else if (s == "inf")
            out = HUGE_VAL;
        else if (s == "-inf")
            out = -HUGE_VAL;
        else
            return invalidAt(path, "expected a number (or \"nan\", \"inf\", \"-inf\"), found \"" + s + "\"");
        return {};
    }
    return invalidAt(path, expected("a number", value));
}

Status readPoint(const Json& value, std::string_view path, Point& out) {
    if (!value.is_array() || value.size() != 2) return invalidAt(path, "expected [x, y]");
    std::int64_t c[2];
    for (std::size_t i = 0; i < 2; ++i) {
        Status s = readInteger(value[i], elementPath(path, i), std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max(), c[i]);
        if (!s) return s;
    }
    out = {static_cast<int>(c[0]), static_cast<int>(c[1])};
    return {};
}

Json numberJson(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    return v;
}

}  // namespace kestrune::ksv
