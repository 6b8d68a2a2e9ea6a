#pragma once
// The program's texts by message id. Every message the program shows lives
// here, so that the same id always shows the same words.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::strings {

// The text of `id`, or nullopt when there is none.
std::optional<std::string_view> lookup(int id);

// The text of `id`: the system's reason for a system error code (system_error_code.h),
// else the table's text, or "ER:<id>" when there is none (what a message box
// shows for a code from outside the program).
std::string text(int id);

// Number of entries in the table (for tests and tools).
std::size_t count();

// Every id that has a text, in table order (for tests and tools).
std::vector<int> allIds();

}  // namespace kestrune::strings
