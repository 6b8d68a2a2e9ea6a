#include "app/system_info.h"

#include "components/tagdb/tag_database.h"

namespace kestrune {

Code createSystemInfo(TagDatabase& tags) {
    if (const Code code = tags.AddTaskName(kSystemTaskName); code != kOk && code != kTaskExists) return code;
    if (const Code code = tags.AddTag(kSystemTaskName, kSystemInfoTagName, kTagInt32, 1);
        code != kOk && code != kTagExists)
        return code;
    const DB_PARAM started = DB_PARAM::Int(kSystemInfoStarted);
    return tags.SetData(kSystemTaskName, kSystemInfoTagName, &started);
}

Code createVirtualTask(TagDatabase& tags) {
    const Code code = tags.AddTaskName(kVirtualTaskName);
    return code == kTaskExists ? kOk : code;
}

void removeSystemEntries(TagDatabase& tags) {
    tags.DeleteTag(kSystemTaskName, kSystemInfoTagName);
    tags.DeleteTaskName(kSystemTaskName);
    tags.DeleteTaskName(kVirtualTaskName);
}

Code setSystemInfoBit(TagDatabase& tags, std::int32_t bit, bool on) {
    DB_PARAM value = DB_PARAM::Int(0);
    if (const Code code = tags.GetData(kSystemTaskName, kSystemInfoTagName, &value); code != kOk) return code;
    value.value.lVal = on ? (value.value.lVal | bit) : (value.value.lVal & ~bit);
    return tags.SetData(kSystemTaskName, kSystemInfoTagName, &value);
}

std::int32_t systemInfo(const TagDatabase& tags) {
    DB_PARAM value = DB_PARAM::Int(0);
    return tags.GetData(kSystemTaskName, kSystemInfoTagName, &value) == kOk ? value.value.lVal : 0;
}

}  // namespace kestrune
