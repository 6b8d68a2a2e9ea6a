#pragma once
// The --watch line of kestrune-run: the elapsed seconds with one decimal,
// then TASK.TAG=value for each watched tag, read from the tag database as
// the tag holds it (numbers as numbers, texts as they stand, arrays as
// [v0,v1,...], TASK.TAG[N] as element N alone; "?" for a tag the database
// does not have, which watchProblem() lets the caller leave out up front).

#include <string>
#include <vector>

#include "cli/run/run_options.h"

namespace kestrune {

class TagDatabase;

// Why `tag` cannot be watched ("no such tag", ...), empty when it can.
std::string watchProblem(const TagDatabase& tags, const WatchedTag& tag);

std::string tagValueText(const TagDatabase& tags, const WatchedTag& tag);

std::string watchLine(double elapsedSeconds, const TagDatabase& tags, const std::vector<WatchedTag>& watched);

}  // namespace kestrune
