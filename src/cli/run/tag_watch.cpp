#include "cli/run/tag_watch.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "components/tagdb/tag_database.h"

namespace kestrune {
namespace {

std::string numberText(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

// Elements `start`..`start + count` of a number tag as texts.
bool readNumbers(const TagDatabase& tags, const WatchedTag& tag, std::uint16_t base, std::uint16_t start,
                 std::uint16_t count, std::vector<std::string>& out) {
    if (base == kTagFloat) {
        std::vector<float> values(count);
        DB_PARAM p = DB_PARAM::Array(kTagFloatArray, values.data(), count, start);
        if (tags.GetData(tag.task, tag.tag, &p) != kOk) return false;
        for (float v : values) out.push_back(numberText(v));
        return true;
    }
    std::vector<std::int32_t> values(count);
    DB_PARAM p = DB_PARAM::Array(kTagInt32Array, values.data(), count, start);
    if (tags.GetData(tag.task, tag.tag, &p) != kOk) return false;
    for (std::int32_t v : values) out.push_back(std::to_string(v));
    return true;
}

bool readTexts(const TagDatabase& tags, const WatchedTag& tag, std::uint16_t start, std::uint16_t count,
               std::vector<std::string>& out) {
    std::vector<char> buffer(static_cast<std::size_t>(count) * kTagTextSize, '\0');
    DB_PARAM p = DB_PARAM::Array(kTagStringArray, buffer.data(), count, start);
    if (tags.GetData(tag.task, tag.tag, &p) != kOk) return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        const char* text = buffer.data() + static_cast<std::size_t>(i) * kTagTextSize;
        out.emplace_back(text, strnlen(text, kTagMaxTextLength));
    }
    return true;
}

}  // namespace

std::string watchProblem(const TagDatabase& tags, const WatchedTag& tag) {
    DB_PARAM info;
    if (tags.GetDataInfo(tag.task, tag.tag, &info) != kOk) return "no such tag";
    if (!tag.element) return {};
    if (!isTagArrayType(info.type)) return "not an array";
    if (*tag.element >= info.count) return "the tag has " + std::to_string(info.count) + " elements";
    return {};
}

std::string tagValueText(const TagDatabase& tags, const WatchedTag& tag) {
    DB_PARAM info;
    if (tags.GetDataInfo(tag.task, tag.tag, &info) != kOk) return "?";
    const std::uint16_t base = tagBaseType(info.type);
    const std::uint16_t start = tag.element.value_or(0);
    const std::uint16_t count = tag.element || info.count == 0 ? 1 : info.count;
    std::vector<std::string> values;
    const bool ok = base == kTagString ? readTexts(tags, tag, start, count, values)
                                       : readNumbers(tags, tag, base, start, count, values);
    if (!ok || values.empty()) return "?";
    if (tag.element || !isTagArrayType(info.type)) return values.front();
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) text += (i == 0 ? "" : ",") + values[i];
    return text + "]";
}

std::string watchLine(double elapsedSeconds, const TagDatabase& tags,
                      const std::vector<WatchedTag>& watched) {
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.1f", elapsedSeconds);
    std::string line = elapsed;
    for (const WatchedTag& tag : watched) line += " " + tag.text() + "=" + tagValueText(tags, tag);
    return line;
}

}  // namespace kestrune
