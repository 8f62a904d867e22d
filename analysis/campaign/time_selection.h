// Which records of a campaign a time selection takes, by their start times (start_time.h).
//
// A selection is three conditions, all of which a start time must satisfy:
//   - dates: from <= start < to, either bound open when absent;
//   - hours: the time of day, from <= t < to in seconds since midnight; a range whose end lies
//     before its start wraps past midnight (22:00 to 06:00 is the night: t >= 22:00 or
//     t < 06:00); equal bounds mean the whole day;
//   - weekdays: the start's weekday is one of those marked (bit 0 Monday .. bit 6 Sunday).
// A selection with no bound, no hours and all seven weekdays is inactive: it takes every record,
// those without a start time too. An active one never takes a record without a start time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/campaign/start_time.h"

namespace analysis {

struct HoursOfDay {
  int from = 0, to = 0;  // seconds since midnight, 0 .. 86399

  bool operator==(const HoursOfDay&) const = default;
};

inline constexpr std::uint8_t kEveryWeekday = 0x7F;

struct TimeSelection {
  std::optional<CivilSeconds> from, to;
  std::optional<HoursOfDay> hours;
  std::uint8_t weekdays = kEveryWeekday;

  bool active() const { return from || to || hours || weekdays != kEveryWeekday; }
  bool selects(std::optional<CivilSeconds> start) const;
  // "2026-05-01T00:00:00 to 2026-06-01T00:00:00, 22:00 to 06:00, Mon-Fri"; "every record".
  std::string describe() const;

  bool operator==(const TimeSelection&) const = default;
};

// One flag per file, 1 where `selection` takes the file's start time.
std::vector<std::uint8_t> selectedFiles(std::span<const std::optional<CivilSeconds>> starts,
                                        const TimeSelection& selection);

// "HH:MM-HH:MM"; nothing, with the problem, for any other text.
std::optional<HoursOfDay> parseHours(std::string_view text, std::string* problem = nullptr);
// "mon,tue,..." with ranges "mon-fri" (wrapping ranges such as "sat-mon" allowed), case
// ignored; the weekday bits, or nothing with the problem.
std::optional<std::uint8_t> parseWeekdays(std::string_view text, std::string* problem = nullptr);

}  // namespace analysis
