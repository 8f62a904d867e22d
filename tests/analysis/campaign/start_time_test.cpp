// Start times of records from their names and modification times, checked against the C
// library's own calendar (timegm, gmtime_r) and against dates worked out by hand.
#include "analysis/campaign/start_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace analysis {
namespace {

// The C library's reading of a civil time, independent of the code under test.
CivilSeconds libcSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return timegm(&t);
}

std::optional<CivilSeconds> iso(const char* text) {
  return text[0] ? parseIsoDateTime(text) : std::nullopt;
}

TEST(StartTime, CivilSecondsWeekdaysAndIsoTextAgreeWithTheCLibrary) {
  // A day every 13 days and 7 hours from 1999 to 2031: leap years, century rule, month ends.
  for (CivilSeconds s = libcSeconds(1999, 1, 1); s < libcSeconds(2031, 1, 1);
       s += 13 * 86400 + 7 * 3600 + 61) {
    const std::time_t t = s;
    std::tm tm{};
    gmtime_r(&t, &tm);
    const CivilTime c = civilTimeOf(s);
    ASSERT_EQ(civilSeconds(c), s);
    EXPECT_EQ(c.year, tm.tm_year + 1900);
    EXPECT_EQ(c.month, tm.tm_mon + 1);
    EXPECT_EQ(c.day, tm.tm_mday);
    EXPECT_EQ(weekdayOf(s), (tm.tm_wday + 6) % 7);  // tm: 0 Sunday; here 0 Monday
    EXPECT_EQ(secondOfDay(s), tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    EXPECT_EQ(isoText(s), text);
    EXPECT_EQ(parseIsoDateTime(text), s);
  }
  EXPECT_EQ(parseIsoDateTime("2026-05-13"), libcSeconds(2026, 5, 13));
  EXPECT_EQ(parseIsoDateTime("2026-05-13T07:05"), libcSeconds(2026, 5, 13, 7, 5));
  for (const char* bad : {"2026-02-30", "2026-13-01", "2026-05-13T24:00", "2026-5-13",
                          "2026-05-13 07:05", "2026-05-13T07:05:60", ""}) {
    EXPECT_FALSE(parseIsoDateTime(bad)) << bad;
  }
}

struct NameCase {
  const char* pattern;
  const char* stem;
  const char* modified;  // ISO, "" for none
  const char* start;     // ISO, "" for no start time
};

class NamePatterns : public testing::TestWithParam<NameCase> {};

TEST_P(NamePatterns, ReadTheStemField) {
  const NameCase& c = GetParam();
  const auto pattern = TimePattern::parse(c.pattern);
  ASSERT_TRUE(pattern) << c.pattern;
  EXPECT_EQ(pattern->startOf(c.stem, iso(c.modified)), iso(c.start)) << c.pattern << " " << c.stem;
}

INSTANTIATE_TEST_SUITE_P(
    StartTime, NamePatterns,
    testing::Values(
        // Each field in its place.
        NameCase{"MMDDhhmm", "05131207", "2026-06-01", "2026-05-13T12:07:00"},
        NameCase{"YYMMDDhhmm", "2605131207", "", "2026-05-13T12:07:00"},
        NameCase{"MMDDhhmmss", "0513120759", "2026-05-13T13:00", "2026-05-13T12:07:59"},
        NameCase{"DDMMYYhh", "13052612", "", "2026-05-13T12:00:00"},
        NameCase{"hhmmssDDMMYY", "235958311299", "", "2099-12-31T23:59:58"},
        // No valid date or time: no start.
        NameCase{"MMDDhhmm", "13011200", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "02301200", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "05132400", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "05131260", "2026-06-01", ""},
        NameCase{"MMDDhhmmss", "0513120060", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "00131200", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "05001200", "2026-06-01", ""},
        NameCase{"MMDDhhmm", "0513120", "2026-06-01", ""},   // shorter than the pattern
        NameCase{"MMDDhhmm", "0513 200", "2026-06-01", ""},  // no digit
        NameCase{"MMDDhhmm", "05131200", "", ""},            // no year at all
        // The year of the modification time, or the one before.
        NameCase{"MMDDhhmm", "12312345", "2027-01-01T00:01", "2026-12-31T23:45:00"},
        NameCase{"MMDDhhmm", "01010000", "2027-01-01T00:01", "2027-01-01T00:00:00"},
        NameCase{"MMDDhhmm", "05131200", "2026-05-13T12:00", "2026-05-13T12:00:00"},
        NameCase{"MMDDhhmm", "05131201", "2026-05-13T12:00", "2025-05-13T12:01:00"},
        // 29 February: only in a leap year.
        NameCase{"YYMMDDhhmm", "2802291200", "", "2028-02-29T12:00:00"},
        NameCase{"YYMMDDhhmm", "2702291200", "", ""},
        NameCase{"MMDDhhmm", "02291200", "2028-03-01", "2028-02-29T12:00:00"},
        NameCase{"MMDDhhmm", "02291200", "2029-01-10", "2028-02-29T12:00:00"},
        NameCase{"MMDDhhmm", "02291200", "2027-03-01", ""}));

TEST(StartTime, PatternsAndSourcesThatAreRefused) {
  for (const char* bad : {"", "MMDDh", "MMDDXXmm", "MMMMDDhh", "DDhhmm", "MMhhmm", "mmDDMM"}) {
    std::string problem;
    EXPECT_FALSE(TimePattern::parse(bad, &problem)) << bad;
    EXPECT_NE(problem.find(bad), std::string::npos) << problem;
  }
  for (const char* bad : {"name:", "name:MMDD", "names", "modification", ""}) {
    EXPECT_FALSE(StartTimeChoice::parse(bad)) << bad;
  }
  EXPECT_EQ(StartTimeChoice::parse("mtime")->source, StartSource::ModificationTime);
  EXPECT_EQ(StartTimeChoice::parse("name:YYMMDDhhmm")->pattern->text(), "YYMMDDhhmm");
}

// A read file: name, record length, modification time.
CampaignFile fileOf(std::string name, double seconds, const char* modified) {
  CampaignFile file;
  file.name = std::move(name);
  file.status = CampaignStatus::Used;
  file.seconds = seconds;
  file.modified = iso(modified);
  return file;
}

struct AutoCase {
  std::vector<std::string> names;
  const char* source;
  std::vector<const char*> starts;  // per name, ISO or ""
  std::vector<const char*>
      modified;  // per name, ISO or "" (not read); empty: every file 2026-06-01
};

class AutoSource : public testing::TestWithParam<AutoCase> {};

// Every file modified 2026-06-01T00:00:00, 60 s records: 2026-05-31T23:59:00 from the
// modification time.
TEST_P(AutoSource, TakesTheFirstPatternValidForEveryStem) {
  const AutoCase& c = GetParam();
  std::vector<CampaignFile> files;
  for (std::size_t i = 0; i < c.names.size(); ++i) {
    files.push_back(fileOf(c.names[i], 60, c.modified.empty() ? "2026-06-01" : c.modified[i]));
  }
  const StartTimes times = startTimesOf(files, {});
  EXPECT_EQ(times.source, c.source);
  ASSERT_EQ(times.start.size(), c.names.size());
  std::size_t without = 0, measurements = 0;
  for (std::size_t i = 0; i < c.names.size(); ++i) {
    EXPECT_EQ(times.start[i], iso(c.starts[i])) << c.names[i];
    const bool measurement = !c.names[i].starts_with("av") && !c.names[i].ends_with(".prn");
    measurements += measurement;
    without += measurement && !c.starts[i][0];
  }
  EXPECT_EQ(times.withoutTime, without);
  EXPECT_EQ(times.measurements, measurements);
}

INSTANTIATE_TEST_SUITE_P(
    StartTime, AutoSource,
    testing::Values(AutoCase{{"05131200.csvz", "05131215xxx.csvz", "av05131200.csv",
                              "05131200.prn"},
                             "start times from the names (MMDDhhmm)",
                             {"2026-05-13T12:00:00", "2026-05-13T12:15:00", "", ""}},
                    // One stem that is no date: every 8-character stem takes its modification time.
                    AutoCase{{"05131200.csvz", "12345678.csvz"},
                             "start times from the modification times: 12345678.csvz is no "
                             "MMDDhhmm name",
                             {"2026-05-31T23:59:00", "2026-05-31T23:59:00"}},
                    // The first three misfits named, the others counted.
                    AutoCase{{"13000000.csvz", "05131200.csvz", "13000001.csvz", "13000002.csvz",
                              "13000003.csvz", "13000004.csvz"},
                             "start times from the modification times: 13000000.csvz, "
                             "13000001.csvz, 13000002.csvz and 2 more are no MMDDhhmm names",
                             std::vector<const char*>(6, "2026-05-31T23:59:00")},
                    // A file not read yet has no modification time: its stem is still a date.
                    AutoCase{{"05131200.csvz", "05131215.csvz"},
                             "start times from the names (MMDDhhmm)",
                             {"2026-05-13T12:00:00", ""},
                             {"2026-06-01", ""}},
                    // Valid under both 10-character patterns: YYMMDDhhmm is tried first.
                    AutoCase{{"0512131200.cswz"},
                             "start times from the names (YYMMDDhhmm)",
                             {"2005-12-13T12:00:00"}},
                    // Each 10-character pattern refuses other files.
                    AutoCase{{"1312010000.cswz", "2613010000.cswz"},
                             "start times from the modification times: 2613010000.cswz is no "
                             "YYMMDDhhmm name; 1312010000.cswz and 2613010000.cswz are no "
                             "MMDDhhmmss names",
                             {"2026-05-31T23:59:00", "2026-05-31T23:59:00"}},
                    AutoCase{{"2605131200.cswz", "2512312359.cswz"},
                             "start times from the names (YYMMDDhhmm)",
                             {"2026-05-13T12:00:00", "2025-12-31T23:59:00"}},
                    // 05 13 is no month: MMDDhhmmss, every stem read that way.
                    AutoCase{{"0513120030.cswz", "1231235959.cswz"},
                             "start times from the names (MMDDhhmmss)",
                             {"2026-05-13T12:00:30", "2025-12-31T23:59:59"}},
                    AutoCase{{"05131200.csvz", "2605131201.cswz"},
                             "start times from the names (MMDDhhmm, YYMMDDhhmm)",
                             {"2026-05-13T12:00:00", "2026-05-13T12:01:00"}},
                    AutoCase{{"05131200.csvz", "9913131313.cswz"},
                             "start times from the names (MMDDhhmm) and the modification "
                             "times: 9913131313.cswz is no YYMMDDhhmm or MMDDhhmmss name",
                             {"2026-05-13T12:00:00", "2026-05-31T23:59:00"}}));

TEST(StartTime, ModificationTimeMinusTheRecordLengthOrAChosenPattern) {
  std::vector<CampaignFile> files = {fileOf("05131200.csvz", 60, "2026-05-13T12:01"),
                                     fileOf("05131201.csvz", 655.36, "2026-05-13T12:12"),
                                     fileOf("05131202.csvz", 0, "2026-05-13T12:12"),
                                     fileOf("05131203.csvz", 60, "")};
  const StartTimes mtime = startTimesOf(files, *StartTimeChoice::parse("mtime"));
  EXPECT_EQ(mtime.source, "start times from the modification times");
  EXPECT_EQ(mtime.start[0], iso("2026-05-13T12:00"));
  EXPECT_EQ(mtime.start[1], iso("2026-05-13T12:01:05"));  // 655.36 s rounded to 655
  EXPECT_FALSE(mtime.start[2]);                           // length unknown
  EXPECT_FALSE(mtime.start[3]);                           // not read
  EXPECT_EQ(mtime.withoutTime, 2u);

  // A chosen pattern reads the stems of its own length only.
  files.push_back(fileOf("2605131204.cswz", 6, "2026-05-13T12:12"));
  const StartTimes named = startTimesOf(files, *StartTimeChoice::parse("name:YYMMDDhhmm"));
  EXPECT_EQ(named.source, "start times from the names (YYMMDDhhmm)");
  EXPECT_EQ(named.start[4], iso("2026-05-13T12:04"));
  EXPECT_EQ(named.withoutTime, 4u);
}

// Segment names carry their start (UTC, milliseconds dropped) whatever the source chosen.
TEST(StartTime, SegmentNamesGiveTheirStart) {
  const struct {
    const char* name;
    std::optional<CivilSeconds> start;
  } cases[] = {
      {"XX.ST1..HHZ@2026-04-11T03:05:27.680Z", libcSeconds(2026, 4, 11, 3, 5, 27)},
      {"XX.ST1..HHZ+XX.ST2.00.HHN@2024-02-29T23:59:59.999Z", libcSeconds(2024, 2, 29, 23, 59, 59)},
      {"XX.ST1..HHZ@2025-02-29T00:00:00.000Z", std::nullopt},  // no such day
      {"XX.ST1..HHZ@2026-04-11T03:05:27.680", std::nullopt},   // no zone
      {"XX.ST1..HHZ@2026-04-11T03:05:27,680Z", std::nullopt},
      {"@2026-04-11T03:05:27.680Z", std::nullopt},  // no channel
      {"05131200.csvz", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(segmentNameStart(c.name), c.start) << c.name;
  for (const char* choice : {"auto", "mtime", "name:MMDDhhmm"}) {
    CampaignFile segment;
    segment.name = cases[0].name;
    const StartTimes times = startTimesOf({&segment, 1}, *StartTimeChoice::parse(choice));
    EXPECT_EQ(times.start[0], cases[0].start) << choice;
    EXPECT_EQ(times.source, "start times of the segments, UTC");
  }
}

}  // namespace
}  // namespace analysis
