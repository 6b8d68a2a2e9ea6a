#pragma once
// The most recently used strategy files, newest first, at most four: a file
// opened or saved goes to the top (once), the oldest falls off the end.

#include <string>
#include <vector>

namespace kestrune {

class RecentFileList {
  public:
    static constexpr std::size_t kSize = 4;

    // Entries past the fourth, empty ones and repeats are dropped.
    void assign(const std::vector<std::string>& files);
    void add(const std::string& file);
    void remove(const std::string& file);
    const std::vector<std::string>& files() const { return files_; }

  private:
    std::vector<std::string> files_;
};

}  // namespace kestrune
