// The start time of each record of a campaign, as plain data computed from what is known of the
// file (its name, record length and modification time), independent of how files are found.
//
// Times are the station clock as written: civil time without zone or daylight saving, counted
// as CivilSeconds, the seconds since 1970-01-01T00:00:00 of that clock (every day 86400 s).
// A file's modification time is taken in the local time of this machine.
//
// Sources:
//   - name: the stem read with a pattern made of the fields YY (year 2000 + YY), MM, DD, hh, mm,
//     ss, each at most once, MM, DD and hh required (mm and ss are 0 when absent), e.g.
//     MMDDhhmm, YYMMDDhhmm, MMDDhhmmss. The pattern's length must equal the stem's, and every
//     field must be a valid date and time (month 1 .. 12, a day of that month, hour 0 .. 23,
//     minute and second 0 .. 59). Without YY the year is that of the modification time, or the
//     year before when the start would otherwise lie after the modification time or be no date
//     (a December record written in January; 29 February recorded in a leap year, written in
//     the next year). Without YY and without a modification time there is no start time.
//   - mtime: the modification time minus the record length, rounded to the second (a file is
//     written when its record ends); no start time for a record whose length is unknown.
//   - auto: per stem length, the first of MMDDhhmm (8 characters), YYMMDDhhmm and MMDDhhmmss
//     (10 characters) under which every measurement stem of that length is a valid time; stems
//     of a length without such a pattern take the modification time, and the source names the
//     first few files that are no valid name of the patterns of that length ("start times from
//     the modification times: 13400145.csvz is no MMDDhhmm name").
//   - a station archive's segment (analysis/archive/segment_record.h), named
//     "ID1[+ID2]@2026-04-11T03:05:27.680Z", under every source: its START, UTC, the
//     milliseconds dropped (floor). Its time is exact, so no choice of source overrides it.
// A record without a valid time under its source has no start time (std::nullopt).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/campaign/campaign_file.h"

namespace analysis {

using CivilSeconds = std::int64_t;

struct CivilTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The seconds of a valid civil time, or nothing (month 13, 30 February, hour 24, ...).
std::optional<CivilSeconds> civilSeconds(const CivilTime& time);
CivilTime civilTimeOf(CivilSeconds seconds);
// 0 Monday .. 6 Sunday.
int weekdayOf(CivilSeconds seconds);
// Seconds since midnight, 0 .. 86399.
int secondOfDay(CivilSeconds seconds);

// "2026-05-13T12:00:00".
std::string isoText(CivilSeconds seconds);
// "2026-05-13T12:00:00", "2026-05-13T12:00" or "2026-05-13" (meaning 00:00); nothing otherwise.
std::optional<CivilSeconds> parseIsoDateTime(std::string_view text);

// A modification time in the local time of this machine.
CivilSeconds localCivilSeconds(std::filesystem::file_time_type time);
// The file time whose local time is `seconds` (for writing records with a given end).
std::filesystem::file_time_type fileTimeOfLocal(CivilSeconds seconds);

class TimePattern {
 public:
  // Nothing, with the problem in `problem` when given, for a text that is no pattern.
  static std::optional<TimePattern> parse(std::string_view text, std::string* problem = nullptr);

  const std::string& text() const { return text_; }
  std::size_t length() const { return text_.size(); }
  bool hasYear() const { return text_.find("YY") != std::string::npos; }
  // The start time of a stem; `modified` is needed only without YY.
  std::optional<CivilSeconds> startOf(std::string_view stem,
                                      std::optional<CivilSeconds> modified) const;

 private:
  std::string text_;
};

enum class StartSource { Auto, ModificationTime, Name };

struct StartTimeChoice {
  StartSource source = StartSource::Auto;
  std::optional<TimePattern> pattern;  // for Name

  // "auto", "mtime", "name:PATTERN" (the psd-analyze --time-from values); nothing otherwise.
  static std::optional<StartTimeChoice> parse(std::string_view text,
                                              std::string* problem = nullptr);
};

struct StartTimes {
  std::vector<std::optional<CivilSeconds>> start;  // per file, in campaign order
  std::string source;  // "start times from the names (MMDDhhmm)", ..., with why auto fell back
  std::size_t measurements = 0;  // files whose name is a measurement's
  std::size_t withoutTime = 0;   // of those, how many have no start time
};

// A measurement's name, as the campaign classifies names (campaign_file.h): no average file, a
// stem with a value, a spectrum extension.
bool isMeasurementName(std::string_view name);

// The start of a segment's name "ID1[+ID2]@YYYY-MM-DDThh:mm:ss.fffZ" (UTC, to the second,
// the milliseconds dropped); nothing for any other name or an invalid date or time.
std::optional<CivilSeconds> segmentNameStart(std::string_view name);

StartTimes startTimesOf(std::span<const CampaignFile> files, const StartTimeChoice& choice);

}  // namespace analysis
