// Sets TZ for the lifetime of the object and restores the previous zone afterwards, so tests of
// local time run in a known zone whatever the machine's own is.
#pragma once
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class TimeZoneScope {
 public:
  explicit TimeZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZoneScope() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  TimeZoneScope(const TimeZoneScope&) = delete;
  TimeZoneScope& operator=(const TimeZoneScope&) = delete;

 private:
  std::optional<std::string> saved_;
};

// POSIX zone rules that need no time-zone database.
inline constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
inline constexpr const char* kUtc = "UTC0";
inline constexpr const char* kUsEastStandardOnly = "EST5";
