#include "analysis/campaign/start_time.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "datafiles/file_names.h"

namespace analysis {
namespace {

namespace chr = std::chrono;

constexpr CivilSeconds kDay = 86400;

CivilSeconds floorDiv(CivilSeconds a, CivilSeconds b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Digits of `text` at [at, at + count) as a number; nothing when one is no digit.
std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// The fields a pattern may hold, two characters each.
constexpr std::array<std::string_view, 6> kFields = {"YY", "MM", "DD", "hh", "mm", "ss"};

constexpr const char* kAutoPatterns[] = {"MMDDhhmm", "YYMMDDhhmm", "MMDDhhmmss"};

// The files named when a stem length falls back to the modification times: the first few.
constexpr std::size_t kNamedMisfits = 3;

// The files of one stem length that are no valid name under a pattern.
struct Misfits {
  std::vector<std::string> first;  // at most kNamedMisfits
  std::size_t count = 0;

  bool operator==(const Misfits&) const = default;
};

// "a.csvz is no MMDDhhmm name", "a.csvz, b.csvz, c.csvz and 4 more are no MMDDhhmm names".
std::string misfitText(const Misfits& misfits, const std::string& patterns) {
  std::string names;
  for (std::size_t i = 0; i < misfits.first.size(); ++i) {
    const bool last = i + 1 == misfits.first.size() && misfits.count == misfits.first.size();
    names += i == 0 ? "" : last ? " and " : ", ";
    names += misfits.first[i];
  }
  if (misfits.count > misfits.first.size()) {
    names += " and " + std::to_string(misfits.count - misfits.first.size()) + " more";
  }
  return names +
         (misfits.count == 1 ? " is no " + patterns + " name" : " are no " + patterns + " names");
}

// A file not read yet has no modification time: its stem is judged in a leap year, where every
// month and day that any year has is a date (2000-12-31T23:59:59).
constexpr CivilSeconds kLeapYearEnd = 978307199;

}  // namespace

std::optional<CivilSeconds> civilSeconds(const CivilTime& t) {
  const chr::year_month_day date{chr::year(t.year), chr::month(static_cast<unsigned>(t.month)),
                                 chr::day(static_cast<unsigned>(t.day))};
  if (t.month < 1 || t.month > 12 || t.day < 1 || !date.ok()) return std::nullopt;
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
    return std::nullopt;
  }
  const CivilSeconds days = chr::sys_days(date).time_since_epoch().count();
  return days * kDay + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime civilTimeOf(CivilSeconds seconds) {
  const CivilSeconds days = floorDiv(seconds, kDay);
  const auto of = static_cast<int>(seconds - days * kDay);
  const chr::year_month_day date{chr::sys_days(chr::days(days))};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          of / 3600,
          of / 60 % 60,
          of % 60};
}

int weekdayOf(CivilSeconds seconds) {
  // 1970-01-01 was a Thursday (3 counting from Monday = 0).
  const CivilSeconds days = floorDiv(seconds, kDay);
  return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

int secondOfDay(CivilSeconds seconds) {
  return static_cast<int>(seconds - floorDiv(seconds, kDay) * kDay);
}

std::string isoText(CivilSeconds seconds) {
  const CivilTime t = civilTimeOf(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::optional<CivilSeconds> parseIsoDateTime(std::string_view text) {
  // YYYY-MM-DD[Thh:mm[:ss]]
  if (text.size() != 10 && text.size() != 16 && text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-') return std::nullopt;
  CivilTime t;
  const auto year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
  if (!year || !month || !day) return std::nullopt;
  t.year = *year;
  t.month = *month;
  t.day = *day;
  if (text.size() > 10) {
    if (text[10] != 'T' || text[13] != ':') return std::nullopt;
    const auto hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2);
    if (!hour || !minute) return std::nullopt;
    t.hour = *hour;
    t.minute = *minute;
    if (text.size() == 19) {
      const auto second = text[16] == ':' ? digitsAt(text, 17, 2) : std::nullopt;
      if (!second) return std::nullopt;
      t.second = *second;
    }
  }
  return civilSeconds(t);
}

CivilSeconds localCivilSeconds(std::filesystem::file_time_type time) {
  const auto system = chr::file_clock::to_sys(time);
  const std::time_t t = chr::system_clock::to_time_t(chr::time_point_cast<chr::seconds>(system));
  std::tm local{};
  localtime_r(&t, &local);
  return civilSeconds({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, std::min(local.tm_sec, 59)})
      .value_or(0);
}

std::filesystem::file_time_type fileTimeOfLocal(CivilSeconds seconds) {
  const CivilTime c = civilTimeOf(seconds);
  std::tm local{};
  local.tm_year = c.year - 1900;
  local.tm_mon = c.month - 1;
  local.tm_mday = c.day;
  local.tm_hour = c.hour;
  local.tm_min = c.minute;
  local.tm_sec = c.second;
  local.tm_isdst = -1;  // whatever this machine's zone says of that day
  const std::time_t t = std::mktime(&local);
  return chr::file_clock::from_sys(chr::system_clock::from_time_t(t));
}

std::optional<TimePattern> TimePattern::parse(std::string_view text, std::string* problem) {
  const auto fail = [&](std::string why) -> std::optional<TimePattern> {
    if (problem) *problem = "\"" + std::string(text) + "\" is no time pattern: " + why;
    return std::nullopt;
  };
  if (text.empty() || text.size() % 2 != 0) {
    return fail("it must be made of the fields YY, MM, DD, hh, mm, ss");
  }
  std::string seen;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string_view field = text.substr(i, 2);
    if (std::find(kFields.begin(), kFields.end(), field) == kFields.end()) {
      return fail("\"" + std::string(field) + "\" is none of YY, MM, DD, hh, mm, ss");
    }
    if (seen.find(field) != std::string::npos) return fail(std::string(field) + " given twice");
    seen += field;
    seen += ' ';
  }
  for (const char* needed : {"MM", "DD", "hh"}) {
    if (seen.find(needed) == std::string::npos) return fail(std::string("it lacks ") + needed);
  }
  TimePattern pattern;
  pattern.text_ = std::string(text);
  return pattern;
}

std::optional<CivilSeconds> TimePattern::startOf(std::string_view stem,
                                                 std::optional<CivilSeconds> modified) const {
  if (stem.size() != text_.size()) return std::nullopt;
  CivilTime t;
  int yy = -1;
  for (std::size_t i = 0; i < text_.size(); i += 2) {
    const auto value = digitsAt(stem, i, 2);
    if (!value) return std::nullopt;
    const std::string_view field = std::string_view(text_).substr(i, 2);
    if (field == "YY") yy = *value;
    if (field == "MM") t.month = *value;
    if (field == "DD") t.day = *value;
    if (field == "hh") t.hour = *value;
    if (field == "mm") t.minute = *value;
    if (field == "ss") t.second = *value;
  }
  if (yy >= 0) {
    t.year = 2000 + yy;
    return civilSeconds(t);
  }
  if (!modified) return std::nullopt;
  t.year = civilTimeOf(*modified).year;
  if (const auto start = civilSeconds(t); start && *start <= *modified) return start;
  --t.year;  // written in the year after its start
  return civilSeconds(t);
}

std::optional<StartTimeChoice> StartTimeChoice::parse(std::string_view text, std::string* problem) {
  if (text == "auto") return StartTimeChoice{};
  if (text == "mtime") return StartTimeChoice{.source = StartSource::ModificationTime};
  if (text.starts_with("name:")) {
    auto pattern = TimePattern::parse(text.substr(5), problem);
    if (!pattern) return std::nullopt;
    return StartTimeChoice{.source = StartSource::Name, .pattern = std::move(pattern)};
  }
  if (problem) *problem = "\"" + std::string(text) + "\" is none of auto, mtime, name:PATTERN";
  return std::nullopt;
}

std::optional<CivilSeconds> segmentNameStart(std::string_view name) {
  // "@" then the 24 characters of "2026-04-11T03:05:27.680Z", after a channel id.
  constexpr std::size_t kStamp = 24;
  const std::size_t at = name.rfind('@');
  if (at == std::string_view::npos || at == 0 || name.size() - at - 1 != kStamp) {
    return std::nullopt;
  }
  const std::string_view stamp = name.substr(at + 1);
  if (stamp[19] != '.' || stamp[23] != 'Z' || !digitsAt(stamp, 20, 3)) return std::nullopt;
  return parseIsoDateTime(stamp.substr(0, 19));
}

bool isMeasurementName(std::string_view name) {
  if (datafiles::isAverageFileName(name)) return false;
  const std::int32_t stemLength = datafiles::stemLengthOf(name);
  return datafiles::stemValueOf(name, stemLength) != 0 &&
         datafiles::hasSpectrumExtension(name, stemLength);
}

StartTimes startTimesOf(std::span<const CampaignFile> files, const StartTimeChoice& choice) {
  StartTimes times;
  times.start.resize(files.size());
  const auto stemOf = [](const CampaignFile& file) {
    return std::string_view(file.name).substr(
        0, static_cast<std::size_t>(std::max(datafiles::stemLengthOf(file.name), 0)));
  };
  const auto fromModification = [](const CampaignFile& file) -> std::optional<CivilSeconds> {
    if (!file.modified || !(file.seconds > 0)) return std::nullopt;
    return *file.modified - static_cast<CivilSeconds>(std::llround(file.seconds));
  };

  // The pattern of each stem length (auto), or the one pattern; no entry: modification time.
  std::map<std::size_t, TimePattern> patterns;
  // Per stem length, the patterns auto tried in vain and the files each refused.
  std::map<std::size_t, std::vector<std::pair<std::string, Misfits>>> refused;
  if (choice.source == StartSource::Name && choice.pattern) {
    patterns.emplace(choice.pattern->length(), *choice.pattern);
  } else if (choice.source == StartSource::Auto) {
    std::map<std::size_t, bool> lengths;  // stem lengths present, decided or not
    for (const CampaignFile& file : files) {
      if (isMeasurementName(file.name)) lengths[stemOf(file).size()] = false;
    }
    for (const char* text : kAutoPatterns) {
      const TimePattern pattern = *TimePattern::parse(text);
      const auto present = lengths.find(pattern.length());
      if (present == lengths.end() || present->second) continue;
      Misfits misfits;
      for (const CampaignFile& file : files) {
        const std::string_view stem = stemOf(file);
        if (!isMeasurementName(file.name) || stem.size() != pattern.length() ||
            pattern.startOf(stem, file.modified.value_or(kLeapYearEnd))) {
          continue;
        }
        if (misfits.first.size() < kNamedMisfits) misfits.first.push_back(file.tableName());
        ++misfits.count;
      }
      if (misfits.count == 0) {
        patterns.emplace(pattern.length(), pattern);
        present->second = true;
      } else {
        refused[pattern.length()].emplace_back(pattern.text(), std::move(misfits));
      }
    }
  }
  // Why a stem length takes the modification times: which files are no name of its patterns
  // (patterns that refused the same files together: "... is no YYMMDDhhmm or MMDDhhmmss name").
  std::string why;
  for (const auto& [length, tried] : refused) {
    if (patterns.contains(length)) continue;
    for (std::size_t i = 0; i < tried.size();) {
      std::string names = tried[i].first;
      std::size_t next = i + 1;
      for (; next < tried.size() && tried[next].second == tried[i].second; ++next) {
        names += " or " + tried[next].first;
      }
      why += (why.empty() ? "" : "; ") + misfitText(tried[i].second, names);
      i = next;
    }
  }

  bool byName = false, byModification = false;
  std::size_t segments = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CampaignFile& file = files[i];
    if (const auto start = segmentNameStart(file.name)) {
      times.start[i] = start;
      ++times.measurements;
      ++segments;
      continue;
    }
    if (!isMeasurementName(file.name)) continue;
    ++times.measurements;
    const std::string_view stem = stemOf(file);
    const auto pattern = patterns.find(stem.size());
    if (choice.source == StartSource::Name || pattern != patterns.end()) {
      byName = true;
      if (pattern != patterns.end()) times.start[i] = pattern->second.startOf(stem, file.modified);
    } else {
      byModification = true;
      times.start[i] = fromModification(file);
    }
    if (!times.start[i]) ++times.withoutTime;
  }

  std::string names;
  for (const auto& [length, pattern] : patterns) {
    names += names.empty() ? "" : ", ";
    names += pattern.text();
  }
  if (segments > 0 && segments == times.measurements) {
    times.source = "start times of the segments, UTC";
  } else if (choice.source == StartSource::Name) {
    times.source = "start times from the names (" + choice.pattern->text() + ")";
  } else if (byName && byModification) {
    times.source = "start times from the names (" + names + ") and the modification times";
  } else if (byName) {
    times.source = "start times from the names (" + names + ")";
  } else {
    times.source = "start times from the modification times";
  }
  if (!why.empty()) times.source += ": " + why;
  return times;
}

}  // namespace analysis
