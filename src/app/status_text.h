#pragma once
// The words for a failed operation's Status, as a message box or the
// command-line runtime shows them: the message text, then ": " and the
// context when there is one ("Cannot open file: /plant/RUNERR.LOG").

#include <string>

#include "platform/status.h"

namespace kestrune {

std::string statusText(const Status& status);

}  // namespace kestrune
