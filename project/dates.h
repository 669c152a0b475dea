#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rivulon {

// A calendar day of the proleptic Gregorian calendar.
struct CalendarDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31

    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// Reads the date forms a weather file's first month label carries: US
// month/day/year ("4/1/1990", also with '-' or '.'), ISO year-month-day
// ("1990-04-01"), day-month name ("1-Apr-1990", "1 April 1990"), month name
// first ("Apr 1, 1990"). A missing year means the current one and two-digit
// years 30..99 mean 1930..1999, 00..29 2000..2029, as the old runtimes did.
std::optional<CalendarDate> parseDate(std::string_view text);

// The US short date form M/d/yyyy ("4/1/1990").
std::string formatShortDate(const CalendarDate& date);

CalendarDate addDays(const CalendarDate& date, long days);
// Whole years later; February 29 becomes February 28 in a common year.
CalendarDate addYears(const CalendarDate& date, int years);

}  // namespace rivulon
