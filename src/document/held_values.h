#pragma once
// Reading the retained values of a strategy that is being opened. A hold
// file that is there but cannot be used (empty, cut short, garbled, of a
// newer version, unreadable) must not be replaced at the next stop without
// a word: it is moved aside beside the strategy as
// "<name>.HLD.damaged-<YYYYMMDD-HHMMSS>" (never over an earlier one), the
// tags keep their initial values, and the caller tells the user.

#include <ctime>
#include <string>

#include "platform/status.h"

namespace kestrune {

class TagDatabase;

// kOk when the file was read or there is none. Otherwise the hold-file code
// with "<file>: <what is wrong>" and where it was kept (or why it could not
// be) in the context; `when` names the kept file.
Status loadHeldValues(TagDatabase& tags, const std::string& holdPath, std::time_t when);

}  // namespace kestrune
