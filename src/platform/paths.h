#pragma once
// Where a strategy's own files go. Strategy paths may come from files made on
// other systems, so ':', '\' and '/' all separate directories here.
//  - The strategy directory is the strategy path up to and including its last
//    separator ("" when it has none: the working directory).
//  - Data files named without a directory (log, data, history, event log,
//    run-error log) are placed in the strategy directory.
//  - The hold file is the strategy directory, the file name up to its first
//    '.', and ".HLD": D:\plant\line1.ksv holds its values in D:\plant\line1.HLD,
//    and dots in the directory part do not count.

#include <string>
#include <string_view>

namespace kestrune {

bool isPathSeparator(char c);

std::string strategyDirectory(std::string_view strategyPath);

// "" for a path without a file name (empty, or ending in a separator).
std::string holdFilePath(std::string_view strategyPath);

// `name` as it stands when it holds a ':' or starts with '/' (or is empty);
// otherwise `name` inside `directory`.
std::string resolveDataFile(std::string_view directory, std::string_view name);

}  // namespace kestrune
