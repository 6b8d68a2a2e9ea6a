#include "platform/system_directory.h"

#include <cstdlib>
#include <system_error>

namespace kestrune {

std::filesystem::path systemDirectory() {
    if (const char* home = std::getenv("KESTRUNE_HOME"); home && *home) return home;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "kestrune";
    if (const char* h = std::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".config" / "kestrune";
    // No home at all (a bare service account): the working directory is the only sane place.
    return std::filesystem::current_path() / ".kestrune";
}

bool ensureSystemDirectory() {
    std::error_code ec;
    const auto dir = systemDirectory();
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

}  // namespace kestrune
