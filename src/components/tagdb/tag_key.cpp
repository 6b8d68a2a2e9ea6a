#include "components/tagdb/tag_key.h"

namespace kestrune {

std::size_t normaliseTagName(std::string_view name, char* out) noexcept {
    if (name.empty() || name.size() > kMaxTagNameLength) return 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F) return 0;
        out[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    }
    return name.size();
}

std::string normalisedTagName(std::string_view name) {
    char buf[kMaxTagNameLength];
    return std::string(buf, normaliseTagName(name, buf));
}

bool TagKey::set(std::string_view task, std::string_view tag) noexcept {
    taskLen_ = normaliseTagName(task, buf_);
    if (taskLen_ == 0) return false;
    buf_[taskLen_] = '\0';
    tagLen_ = normaliseTagName(tag, buf_ + taskLen_ + 1);
    return tagLen_ != 0;
}

bool TagKey::setTask(std::string_view task) noexcept {
    tagLen_ = 0;
    taskLen_ = normaliseTagName(task, buf_);
    return taskLen_ != 0;
}

std::string TagKey::compose(std::string_view task, std::string_view tag) {
    std::string key;
    key.reserve(task.size() + 1 + tag.size());
    key.append(task).push_back('\0');
    key.append(tag);
    return key;
}

}  // namespace kestrune
