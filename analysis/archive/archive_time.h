// Times of archive data: microseconds since 1970-01-01T00:00:00 UTC, as libmseed 2 keeps them
// (hptime_t, HPTMODULUS 1000000). Leap seconds are not counted, as in SEED headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace analysis::archive {

using MicroTime = std::int64_t;

inline constexpr MicroTime kMicrosPerSecond = 1000000;
inline constexpr MicroTime kMicrosPerDay = 86400 * kMicrosPerSecond;

// Days since 1970-01-01 of the UTC day holding `t` (floor, also before 1970).
std::int64_t dayNumberOf(MicroTime t);

// The calendar year and day of the year (1 .. 366) of a day number, as SDS names day files.
struct YearDay {
  int year = 1970;
  int dayOfYear = 1;
};
YearDay yearDayOf(std::int64_t dayNumber);

// The day number of a year and day of the year; nothing for a day outside 1 .. the year's length.
std::optional<std::int64_t> dayNumberOf(int year, int dayOfYear);

// ISO 8601 UTC to the millisecond, the milliseconds truncated: "2026-04-11T03:05:27.680Z".
std::string isoUtcMillis(MicroTime t);

// Reads "YYYY-MM-DDThh:mm:ss[.ffffff][Z]" or "YYYY-MM-DD" as UTC (StationXML's dates); nothing
// for any other text or a field out of range.
std::optional<MicroTime> parseIsoUtc(std::string_view text);

}  // namespace analysis::archive
