// Weekday and month names of the user's locale (LC_TIME from the environment, as the user set it;
// the "C" locale's English names when that locale is not installed). Read once, then constant:
// any thread may call.
#pragma once
#include <string>

namespace platform {

// day: 0 = Sunday .. 6 = Saturday. Empty for an index outside the range or a locale without the
// name. Names are cut to 63 characters.
[[nodiscard]] const std::wstring& LocaleDayName(int day, bool abbreviated);
// month: 1 = January .. 12 = December; otherwise as LocaleDayName.
[[nodiscard]] const std::wstring& LocaleMonthName(int month, bool abbreviated);

}  // namespace platform
