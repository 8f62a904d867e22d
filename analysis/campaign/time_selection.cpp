#include "analysis/campaign/time_selection.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace analysis {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"mon", "tue", "wed", "thu",
                                                       "fri", "sat", "sun"};

std::optional<int> dayNumber(std::string_view name) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t i = 0; i < kDayNames.size(); ++i) {
    if (lower == kDayNames[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string clockText(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 3600, seconds / 60 % 60);
  return text;
}

}  // namespace

bool TimeSelection::selects(std::optional<CivilSeconds> start) const {
  if (!active()) return true;
  if (!start) return false;
  if (from && *start < *from) return false;
  if (to && *start >= *to) return false;
  if (hours && hours->from != hours->to) {
    const int t = secondOfDay(*start);
    const bool inside = hours->from < hours->to ? t >= hours->from && t < hours->to
                                                : t >= hours->from || t < hours->to;
    if (!inside) return false;
  }
  return (weekdays >> weekdayOf(*start) & 1) != 0;
}

std::string TimeSelection::describe() const {
  if (!active()) return "every record";
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (!text.empty()) text += ", ";
    text += part;
  };
  if (from || to) {
    add((from ? "from " + isoText(*from) : std::string()) + (from && to ? " " : "") +
        (to ? "before " + isoText(*to) : std::string()));
  }
  if (hours) add(clockText(hours->from) + " to " + clockText(hours->to));
  if (weekdays != kEveryWeekday) {
    std::string days;
    for (int d = 0; d < 7; ++d) {
      if (weekdays >> d & 1) days += (days.empty() ? "" : ",") + std::string(kDayNames[d]);
    }
    add(days.empty() ? std::string("no weekday") : days);
  }
  return text;
}

std::vector<std::uint8_t> selectedFiles(std::span<const std::optional<CivilSeconds>> starts,
                                        const TimeSelection& selection) {
  std::vector<std::uint8_t> selected(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) selected[i] = selection.selects(starts[i]);
  return selected;
}

std::optional<HoursOfDay> parseHours(std::string_view text, std::string* problem) {
  const auto clock = [](std::string_view t) -> std::optional<int> {
    if (t.size() != 5 || t[2] != ':') return std::nullopt;
    for (std::size_t i : {0, 1, 3, 4}) {
      if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    }
    const int h = (t[0] - '0') * 10 + (t[1] - '0'), m = (t[3] - '0') * 10 + (t[4] - '0');
    if (h > 23 || m > 59) return std::nullopt;
    return h * 3600 + m * 60;
  };
  const std::size_t dash = text.find('-');
  if (dash != std::string_view::npos) {
    const auto from = clock(text.substr(0, dash)), to = clock(text.substr(dash + 1));
    if (from && to) return HoursOfDay{*from, *to};
  }
  if (problem) *problem = "\"" + std::string(text) + "\" is no range of hours HH:MM-HH:MM";
  return std::nullopt;
}

std::optional<std::uint8_t> parseWeekdays(std::string_view text, std::string* problem) {
  std::uint8_t days = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string_view item = text.substr(at, comma - at);
    const std::size_t dash = item.find('-');
    const auto first = dayNumber(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : dayNumber(item.substr(dash + 1));
    if (!first || !last) {
      if (problem) {
        *problem =
            "\"" + std::string(item) + "\" in \"" + std::string(text) +
            "\" is no weekday (mon, tue, wed, thu, fri, sat, sun) or range of them (mon-fri)";
      }
      return std::nullopt;
    }
    for (int d = *first;; d = (d + 1) % 7) {
      days |= static_cast<std::uint8_t>(1u << d);
      if (d == *last) break;
    }
    at = comma + 1;
  }
  return days;
}

}  // namespace analysis
