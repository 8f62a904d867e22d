// Time selections against conditions written out on the C library's broken-down time: every
// half hour of three weeks around a year's end is put to each selection.
#include "analysis/campaign/time_selection.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

namespace analysis {
namespace {

std::tm brokenDown(CivilSeconds s) {
  const std::time_t t = s;
  std::tm tm{};
  gmtime_r(&t, &tm);
  return tm;
}

CivilSeconds at(const char* iso) {
  return *parseIsoDateTime(iso);
}

struct SelectionCase {
  const char* name;
  TimeSelection selection;
  std::function<bool(const std::tm&, CivilSeconds)> expected;
  const char* described;  // the selection's summary
};

class Selections : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selections, TakeExactlyTheStartsThatSatisfyEveryCondition) {
  const SelectionCase& c = GetParam();
  std::size_t taken = 0;
  for (CivilSeconds s = at("2026-12-20"); s < at("2027-01-10"); s += 1800) {
    const std::tm tm = brokenDown(s);
    EXPECT_EQ(c.selection.selects(s), c.expected(tm, s)) << c.name << " at " << isoText(s);
    taken += c.selection.selects(s);
  }
  EXPECT_GT(taken, 0u) << c.name;
  EXPECT_EQ(c.selection.describe(), c.described) << c.name;
  EXPECT_EQ(c.selection.selects(std::nullopt), !c.selection.active()) << c.name;
}

constexpr std::uint8_t kMondayToFriday = 0x1F;

INSTANTIATE_TEST_SUITE_P(
    TimeSelection, Selections,
    testing::Values(
        SelectionCase{
            "inactive", {}, [](const std::tm&, CivilSeconds) { return true; }, "every record"},
        SelectionCase{
            "night, wrapping past midnight",
            {.hours = HoursOfDay{22 * 3600, 6 * 3600}},
            [](const std::tm& t, CivilSeconds) { return t.tm_hour >= 22 || t.tm_hour < 6; },
            "22:00 to 06:00"},
        SelectionCase{"working hours",
                      {.hours = HoursOfDay{6 * 3600, 22 * 3600}, .weekdays = kMondayToFriday},
                      [](const std::tm& t, CivilSeconds) {
                        return t.tm_wday >= 1 && t.tm_wday <= 5 && t.tm_hour >= 6 && t.tm_hour < 22;
                      },
                      "06:00 to 22:00, mon,tue,wed,thu,fri"},
        SelectionCase{"half hours: 07:30 to 08:30",
                      {.hours = HoursOfDay{7 * 3600 + 1800, 8 * 3600 + 1800}},
                      [](const std::tm& t, CivilSeconds) {
                        const int minute = t.tm_hour * 60 + t.tm_min;
                        return minute >= 450 && minute < 510;
                      },
                      "07:30 to 08:30"},
        SelectionCase{"equal hours: the whole day",
                      {.hours = HoursOfDay{3600, 3600}},
                      [](const std::tm&, CivilSeconds) { return true; },
                      "01:00 to 01:00"},
        SelectionCase{
            "weekend",
            {.weekdays = 0x60},
            [](const std::tm& t, CivilSeconds) { return t.tm_wday == 0 || t.tm_wday == 6; },
            "sat,sun"},
        SelectionCase{"dates: from inclusive, to exclusive",
                      {.from = at("2026-12-31T12:00"), .to = at("2027-01-02")},
                      [](const std::tm& t, CivilSeconds) {
                        return (t.tm_year == 126 && t.tm_yday == 364 && t.tm_hour >= 12) ||
                               (t.tm_year == 127 && t.tm_yday == 0);
                      },
                      "from 2026-12-31T12:00:00 before 2027-01-02T00:00:00"},
        SelectionCase{
            "from alone, with nights of Sunday to Monday",
            {.from = at("2027-01-01"), .hours = HoursOfDay{23 * 3600, 1 * 3600}, .weekdays = 0x41},
            [](const std::tm& t, CivilSeconds) {
              return t.tm_year == 127 && (t.tm_wday == 0 || t.tm_wday == 1) &&
                     (t.tm_hour == 23 || t.tm_hour == 0);
            },
            "from 2027-01-01T00:00:00, 23:00 to 01:00, mon,sun"}),
    [](const auto& info) {
      std::string name;
      for (const char* c = info.param.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
      return name;
    });

TEST(TimeSelection, HoursAndWeekdaysAsWritten) {
  struct DaysCase {
    const char* text;
    std::optional<std::uint8_t> days;
  };
  for (const DaysCase& c :
       {DaysCase{"mon-fri", 0x1F}, DaysCase{"sat,sun", 0x60}, DaysCase{"Sat-Mon", 0x61},
        DaysCase{"wed", 0x04}, DaysCase{"mon,wed-thu,sun", 0x4D}, DaysCase{"mon-", std::nullopt},
        DaysCase{"monday", std::nullopt}, DaysCase{"", std::nullopt},
        DaysCase{"mon,,tue", std::nullopt}}) {
    EXPECT_EQ(parseWeekdays(c.text), c.days) << c.text;
  }
  EXPECT_EQ(parseHours("22:00-06:00"), (HoursOfDay{79200, 21600}));
  EXPECT_EQ(parseHours("00:00-23:59"), (HoursOfDay{0, 86340}));
  for (const char* bad : {"22:00", "24:00-06:00", "22:60-06:00", "2200-0600", "22:00-6:00"}) {
    std::string problem;
    EXPECT_FALSE(parseHours(bad, &problem)) << bad;
    EXPECT_NE(problem.find(bad), std::string::npos) << problem;
  }
}

}  // namespace
}  // namespace analysis
