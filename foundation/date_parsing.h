// Dates and times from text by a layout of field letters (CNTimeStamp::Parse, declared with the
// time stamp), and the weekday and month names of the user's locale it matches.
//
// Layout letters: Y year, y short year, m month, d day, H hour, M minute, S second, N milliseconds,
// F fraction of a second, u microseconds, A/a weekday name (full/abbreviated), B/b month name; any
// other character reads and discards a number. Before each field everything that is not an ASCII
// letter or digit is skipped, so "YmdHMS" reads "2007-03-14 09:26:53". Fields are taken as UTC.
// Without any calendar letter the result is the fraction alone (a duration below a second).
// Pure functions; any thread may call.
#pragma once
#include <cstddef>
#include <string_view>

// True when a weekday name of the user's locale starts at text[pos], compared over the name's
// length without regard to case; then day is 0 (Sunday) to 6 (Saturday) and pos moves past the
// name. On failure day and pos are unchanged.
[[nodiscard]] bool MatchDayName(std::wstring_view text, std::size_t& pos, int& day,
                                bool abbreviated);
// The same for month names; month is 1 to 12.
[[nodiscard]] bool MatchMonthName(std::wstring_view text, std::size_t& pos, int& month,
                                  bool abbreviated);
