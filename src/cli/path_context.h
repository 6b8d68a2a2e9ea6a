#pragma once
// The detail line of a command-line tool's message: the file it is about,
// then what went wrong there. Contexts from the file layer already begin
// with the path; those are left as they are so that it is not said twice.

#include <string>
#include <string_view>

namespace kestrune {

inline std::string fileContext(std::string_view file, std::string_view context) {
    std::string prefix = std::string(file) + ": ";
    if (context.starts_with(prefix)) return std::string(context);
    return prefix + std::string(context);
}

}  // namespace kestrune
