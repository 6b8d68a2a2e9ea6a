#pragma once
// Format(value, pattern): the named formats and the numeric and date/time
// pattern characters; see docs/basic.md for what is left out.

#include <string>
#include <string_view>

#include "components/basic/basic_value.h"

namespace kestrune {

std::string basicFormat(const BasicValue& value, std::string_view pattern);

// Date serials count days from 30 December 1899, the fraction is the time of day.
double basicDateSerial(int year, int month, int day);
void basicDateParts(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second);
int basicWeekday(double serial);  // 1 Sunday .. 7 Saturday

}  // namespace kestrune
