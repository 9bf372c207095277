#include "platform/locale_names.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <cwchar>

namespace platform {
namespace {

constexpr std::size_t kMaxNameLength = 63;

struct Names {
  std::wstring day[7];
  std::wstring abbreviated_day[7];
  std::wstring month[12];
  std::wstring abbreviated_month[12];
  std::wstring none;
};

// Decodes in the locale's own character set: uselocale switches this thread only.
std::wstring Decode(locale_t locale, nl_item item) {
  const char* bytes = nl_langinfo_l(item, locale);
  if (!bytes) return {};
  const locale_t previous = uselocale(locale);
  std::mbstate_t state{};
  std::wstring out;
  for (const char* p = bytes; *p && out.size() < kMaxNameLength;) {
    wchar_t c = 0;
    const std::size_t used = std::mbrtowc(&c, p, std::strlen(p), &state);
    if (used == 0 || used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
      break;
    }
    out.push_back(c);
    p += used;
  }
  uselocale(previous);
  return out;
}

Names ReadNames() {
  Names names;
  locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (!locale) locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  if (!locale) return names;
  static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  static constexpr nl_item kAbDays[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                         ABDAY_5, ABDAY_6, ABDAY_7};
  static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                          MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  static constexpr nl_item kAbMonths[12] = {ABMON_1, ABMON_2,  ABMON_3,  ABMON_4,
                                            ABMON_5, ABMON_6,  ABMON_7,  ABMON_8,
                                            ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  // DAY_1 is Sunday, as day index 0 is.
  for (int i = 0; i < 7; ++i) {
    names.day[i] = Decode(locale, kDays[i]);
    names.abbreviated_day[i] = Decode(locale, kAbDays[i]);
  }
  for (int i = 0; i < 12; ++i) {
    names.month[i] = Decode(locale, kMonths[i]);
    names.abbreviated_month[i] = Decode(locale, kAbMonths[i]);
  }
  freelocale(locale);
  return names;
}

const Names& TheNames() {
  static const Names names = ReadNames();
  return names;
}

}  // namespace

const std::wstring& LocaleDayName(int day, bool abbreviated) {
  const Names& names = TheNames();
  if (day < 0 || day > 6) return names.none;
  return abbreviated ? names.abbreviated_day[day] : names.day[day];
}

const std::wstring& LocaleMonthName(int month, bool abbreviated) {
  const Names& names = TheNames();
  if (month < 1 || month > 12) return names.none;
  return abbreviated ? names.abbreviated_month[month - 1] : names.month[month - 1];
}

}  // namespace platform
