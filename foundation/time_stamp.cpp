#include "foundation/time_stamp.h"

#include <ctime>
#include <cwchar>
#include <vector>

#include "platform/clock.h"
#include "platform/time_zone.h"

namespace {

// The current bias in minutes (UTC = local + bias), or false when the zone cannot be queried.
bool CurrentBias(LONG& bias) {
  platform::TimeZoneNow zone;
  if (!platform::CurrentTimeZone(zone)) return false;
  switch (zone.state) {
    case platform::ZoneState::kUnknown:
    case platform::ZoneState::kStandard:
    case platform::ZoneState::kDaylight:
      bias = zone.bias_minutes;
      return true;
  }
  return false;
}

// `value` as exactly `width` digits of `base`, leading zeros (the value must fit).
std::wstring FixedDigits(ULONGLONG value, int width, int base) {
  std::wstring digits(static_cast<size_t>(width), L'0');
  for (int i = width - 1; i >= 0 && value != 0; --i) {
    digits[static_cast<size_t>(i)] = L"0123456789abcdef"[value % base];
    value /= base;
  }
  return digits;
}

void ReplaceAll(std::wstring& text, std::wstring_view what, const std::wstring& with) {
  for (size_t at = text.find(what); at != std::wstring::npos;
       at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

}  // namespace

int CNTimeStamp::Compare(const CNTimeStamp& other) const {
  const ULONGLONG a = Value();
  const ULONGLONG b = other.Value();
  return a < b ? -1 : (a > b ? 1 : 0);
}

SYSTEMTIME* CNTimeStamp::ToSystemTime(SYSTEMTIME* fields) const {
  static SYSTEMTIME shared;
  SYSTEMTIME* target = fields != nullptr ? fields : &shared;
  return platform::FileTimeToSystemTime(Value(), *target) ? target : nullptr;
}

CNTimeStamp CNTimeStamp::ToLocal() const {
  ULONGLONG local = 0;
  return platform::UtcToLocalFileTime(Value(), local) ? CNTimeStamp(local) : CNTimeStamp();
}

void CNTimeStamp::MakeLocal() {
  ULONGLONG local = 0;
  if (platform::UtcToLocalFileTime(Value(), local)) {
    SetValue(local);
  } else {
    SetValue(Value() + static_cast<ULONGLONG>(LocalOffset()));
  }
}

CNTimeStamp CNTimeStamp::Now() {
  CNTimeStamp now(platform::SystemTimeAsFileTime());
  now.MakeLocal();
  return now;
}

LONGLONG CNTimeStamp::LocalOffset() {
  LONG bias = 0;
  if (!CurrentBias(bias)) return 0;
  return -static_cast<LONGLONG>(bias) * static_cast<LONGLONG>(kTimeStampMinute);
}

std::wstring CNTimeStamp::GmtOffsetText() {
  LONG bias = 0;
  if (!CurrentBias(bias)) return L"*ERR*";
  const unsigned magnitude = bias < 0 ? static_cast<unsigned>(-bias) : static_cast<unsigned>(bias);
  wchar_t text[32];
  swprintf(text, std::size(text), L"%lc%2.2u%2.2u", bias < 0 ? L'+' : L'-', magnitude / 60,
           magnitude % 60);
  return text;
}

// The program's own specifiers are replaced textually first, in a fixed order, then the result goes
// through wcsftime. Substitution ignores "%%": a "%%D" still has its "%D" replaced.
std::wstring CNTimeStamp::Format(std::wstring_view format) const {
  if (format.empty()) return {};
  SYSTEMTIME fields{};
  if (ToSystemTime(&fields) == nullptr) return L"*** Illegal CNTimeStamp ***";

  const ULONGLONG t = Value();
  std::wstring work(format);
  const auto substitute = [&work](std::wstring_view specifier, auto&& make_value) {
    if (work.find(specifier) != std::wstring::npos) ReplaceAll(work, specifier, make_value());
  };
  substitute(L"%F", [&] { return FixedDigits(t % kTimeStampSecond, 7, 10); });
  substitute(L"%u", [&] { return FixedDigits((t / 10) % 1'000'000, 6, 10); });
  substitute(L"%N", [&] { return FixedDigits(fields.wMilliseconds, 3, 10); });
  substitute(L"%O", [&] {
    // Six bits of year: 2044 wraps back to the bits of 1980.
    const unsigned year_bits = static_cast<unsigned>((fields.wYear - 1980) % 64) & 63U;
    return FixedDigits((year_bits << 9) | (fields.wMonth << 5U) | fields.wDay, 4, 16);
  });
  substitute(L"%o", [&] {
    return FixedDigits((fields.wHour << 11U) | (fields.wMinute << 5U) | (fields.wSecond / 2U), 4,
                       16);
  });
  substitute(L"%D", [&] { return std::to_wstring(t / kTimeStampDay); });
  substitute(L"%h", [&] { return std::to_wstring(t / kTimeStampSecond / 3600); });
  substitute(L"%s", [&] { return std::to_wstring(t / kTimeStampSecond); });
  substitute(L"%G", [] { return GmtOffsetText(); });

  tm broken_down{};
  broken_down.tm_sec = fields.wSecond;
  broken_down.tm_min = fields.wMinute;
  broken_down.tm_hour = fields.wHour;
  broken_down.tm_mday = fields.wDay;
  broken_down.tm_mon = fields.wMonth - 1;
  broken_down.tm_year = fields.wYear - 1900;
  broken_down.tm_wday = fields.wDayOfWeek % 7;
  broken_down.tm_yday = -1;  // %j, %U and %W have no meaning here
  broken_down.tm_isdst = -1;

  for (size_t size = 4096; size <= 65536; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const size_t length = wcsftime(buffer.data(), size, work.c_str(), &broken_down);
    if (length != 0) return std::wstring(buffer.data(), length);
  }
  return work;
}
