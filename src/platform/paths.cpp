#include "platform/paths.h"

namespace kestrune {
namespace {

std::size_t fileNameStart(std::string_view path) {
    const auto last = path.find_last_of(":\\/");
    return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

bool isPathSeparator(char c) {
    return c == ':' || c == '\\' || c == '/';
}

std::string strategyDirectory(std::string_view strategyPath) {
    return std::string(strategyPath.substr(0, fileNameStart(strategyPath)));
}

std::string holdFilePath(std::string_view strategyPath) {
    const std::size_t start = fileNameStart(strategyPath);
    std::string_view name = strategyPath.substr(start);
    if (name.empty()) return {};
    name = name.substr(0, name.find('.'));
    return std::string(strategyPath.substr(0, start)) + std::string(name) + ".HLD";
}

std::string resolveDataFile(std::string_view directory, std::string_view name) {
    if (name.empty() || name.find(':') != std::string_view::npos || name.front() == '/')
        return std::string(name);
    std::string path(directory);
    // A directory handed over without its closing separator still gets one.
    if (!path.empty() && !isPathSeparator(path.back())) path += '/';
    return path + std::string(name);
}

}  // namespace kestrune
