// CNTimeStamp: a point in time or a duration as a count of 100-nanosecond intervals since
// 1601-01-01 00:00:00 (the Windows file-time scale). File time stamps are UTC; only the current
// time and times shown to the user are local. 0 means "no time stamp".
//
// A small value type: copied freely, no ownership, no locking. Only ToSystemTime() without a
// caller's buffer shares state (one static buffer) and must not be used so from two threads.
#pragma once
#include <compare>
#include <string>
#include <string_view>

#include "platform/system_time.h"
#include "platform/win_types.h"

class CNTimeStamp {
 public:
  constexpr CNTimeStamp() = default;
  constexpr CNTimeStamp(DWORD low_part, DWORD high_part) : low_(low_part), high_(high_part) {}
  constexpr explicit CNTimeStamp(ULONGLONG value)
      : low_(static_cast<DWORD>(value)), high_(static_cast<DWORD>(value >> 32)) {}

  [[nodiscard]] constexpr ULONGLONG Value() const {
    return (static_cast<ULONGLONG>(high_) << 32) | low_;
  }
  constexpr void SetValue(ULONGLONG value) { *this = CNTimeStamp(value); }
  [[nodiscard]] constexpr DWORD LowPart() const { return low_; }
  [[nodiscard]] constexpr DWORD HighPart() const { return high_; }
  [[nodiscard]] constexpr bool IsZero() const { return low_ == 0 && high_ == 0; }
  [[nodiscard]] FILETIME ToFileTime() const { return FILETIME{low_, high_}; }

  // -1, 0 or 1 as the unsigned 64-bit values compare.
  [[nodiscard]] int Compare(const CNTimeStamp& other) const;
  constexpr bool operator==(const CNTimeStamp& other) const = default;
  constexpr std::strong_ordering operator<=>(const CNTimeStamp& other) const {
    return Value() <=> other.Value();
  }

  // Calendar fields of the value, no time-zone conversion. Without a buffer the fields go into one
  // process-wide static buffer (not thread-safe). Null when the value is 2^63 or above.
  SYSTEMTIME* ToSystemTime(SYSTEMTIME* fields = nullptr) const;

  // The value converted from UTC to local time; 0 when the conversion fails.
  [[nodiscard]] CNTimeStamp ToLocal() const;
  // Converts in place from UTC to local time; on failure adds LocalOffset() instead.
  void MakeLocal();
  // The current time as local time.
  [[nodiscard]] static CNTimeStamp Now();

  // Offset of local time from UTC now, in 100 ns units (positive east of Greenwich); 0 when the
  // time zone cannot be queried.
  [[nodiscard]] static LONGLONG LocalOffset();
  // The current UTC offset as sign and four digits ("+0100", "-0000", "-0500"), or "*ERR*".
  [[nodiscard]] static std::wstring GmtOffsetText();

  // wcsftime formatting plus the program's own specifiers %F %u %N %O %o %D %h %s %G (see .cpp).
  // Never fails: an invalid value gives "*** Illegal CNTimeStamp ***".
  [[nodiscard]] std::wstring Format(std::wstring_view format) const;

  // Fills the value from text by a layout of field letters; false on any mismatch (the value is
  // then unspecified). Defined with the date parser.
  [[nodiscard]] bool Parse(std::wstring_view text, std::wstring_view layout);

 private:
  DWORD low_ = 0;
  DWORD high_ = 0;
};

// The process-wide "no time stamp" value that fields are compared against and reset to.
inline constexpr CNTimeStamp kNullTimeStamp{};

// 100-nanosecond units per second, minute, hour and day.
inline constexpr ULONGLONG kTimeStampSecond = 10'000'000;
inline constexpr ULONGLONG kTimeStampMinute = 60 * kTimeStampSecond;
inline constexpr ULONGLONG kTimeStampHour = 60 * kTimeStampMinute;
inline constexpr ULONGLONG kTimeStampDay = 24 * kTimeStampHour;
