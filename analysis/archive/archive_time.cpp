#include "analysis/archive/archive_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace analysis::archive {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

year_month_day dateOf(std::int64_t dayNumber) {
  return year_month_day{sys_days{std::chrono::days{dayNumber}}};
}

// The digits text[pos .. pos + count), as a number; nothing when any is no digit.
std::optional<int> digitsAt(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  const char* first = text.data() + pos;
  const auto [end, error] = std::from_chars(first, first + count, value);
  if (error != std::errc() || end != first + count || *first == '-' || *first == '+') {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::int64_t dayNumberOf(MicroTime t) {
  return floorDiv(t, kMicrosPerDay);
}

YearDay yearDayOf(std::int64_t dayNumber) {
  const year_month_day date = dateOf(dayNumber);
  const sys_days newYear{date.year() / std::chrono::January / 1};
  return {static_cast<int>(date.year()),
          static_cast<int>(dayNumber - newYear.time_since_epoch().count()) + 1};
}

std::optional<std::int64_t> dayNumberOf(int yearNumber, int dayOfYear) {
  const sys_days newYear{year{yearNumber} / std::chrono::January / 1};
  const int length = year{yearNumber}.is_leap() ? 366 : 365;
  if (dayOfYear < 1 || dayOfYear > length) return std::nullopt;
  return newYear.time_since_epoch().count() + dayOfYear - 1;
}

std::string isoUtcMillis(MicroTime t) {
  const std::int64_t dayNumber = dayNumberOf(t);
  const MicroTime inDay = t - dayNumber * kMicrosPerDay;
  const year_month_day date = dateOf(dayNumber);
  const std::int64_t millis = inDay / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(millis / 3600000),
                static_cast<int>(millis / 60000 % 60), static_cast<int>(millis / 1000 % 60),
                static_cast<int>(millis % 1000));
  return text;
}

std::optional<MicroTime> parseIsoUtc(std::string_view text) {
  if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) text.remove_suffix(1);
  const auto y = digitsAt(text, 0, 4), mo = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
  if (!y || !mo || !d || text[4] != '-' || text[7] != '-') return std::nullopt;
  const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                            day{static_cast<unsigned>(*d)}};
  if (!date.ok()) return std::nullopt;
  MicroTime t = sys_days{date}.time_since_epoch().count() * kMicrosPerDay;
  if (text.size() == 10) return t;
  const auto h = digitsAt(text, 11, 2), mi = digitsAt(text, 14, 2), s = digitsAt(text, 17, 2);
  if (!h || !mi || !s || (text[10] != 'T' && text[10] != ' ') || text[13] != ':' ||
      text[16] != ':' || *h > 23 || *mi > 59 || *s > 60) {
    return std::nullopt;
  }
  t += ((*h * 60 + *mi) * 60 + *s) * kMicrosPerSecond;
  if (text.size() == 19) return t;
  if (text[19] != '.' || text.size() == 20 || text.size() > 26) return std::nullopt;
  const std::size_t count = text.size() - 20;
  const auto fraction = digitsAt(text, 20, count);
  if (!fraction) return std::nullopt;
  MicroTime micros = *fraction;
  for (std::size_t i = count; i < 6; ++i) micros *= 10;
  return t + micros;
}

}  // namespace analysis::archive
