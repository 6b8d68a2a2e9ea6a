#pragma once
// Filling the program's message templates ("User %s login at %s %s",
// "Error Count:%lu") with texts. Each conversion takes the next argument as
// it stands, so a user's text with a '%' in it is copied, never interpreted,
// and a template that asks for more arguments than it is given gets empty
// texts instead of reading past them.

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrune {

// Replaces each conversion (%s, %d, %i, %u, %ld, %lu) by the next argument
// and "%%" by "%"; anything else after a '%' is copied unchanged.
std::string formatText(std::string_view format, std::initializer_list<std::string_view> args);

// "MM/DD/YYYY" and "HH:MM:SS" of a local time, as the event log writes them.
std::string eventDateText(const std::tm& t);
std::string eventTimeText(const std::tm& t);

}  // namespace kestrune
