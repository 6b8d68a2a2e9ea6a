#include "gui/recent_file_list.h"

#include <algorithm>

namespace kestrune {

void RecentFileList::assign(const std::vector<std::string>& files) {
    files_.clear();
    for (const std::string& file : files) {
        if (files_.size() == kSize) break;
        if (!file.empty() && std::find(files_.begin(), files_.end(), file) == files_.end())
            files_.push_back(file);
    }
}

void RecentFileList::add(const std::string& file) {
    if (file.empty()) return;
    remove(file);
    files_.insert(files_.begin(), file);
    if (files_.size() > kSize) files_.resize(kSize);
}

void RecentFileList::remove(const std::string& file) {
    files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
}

}  // namespace kestrune
