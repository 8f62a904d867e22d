#include "analysis/archive/sds_layout.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "analysis/archive/archive_time.h"

namespace analysis::archive {
namespace {

namespace fs = std::filesystem;

std::optional<int> numberOf(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "NET.STA.LOC.CHA.D.YEAR.DAY" -> the id and the day number.
struct DayFileName {
  SeedId id;
  std::int64_t day = 0;
};
std::optional<DayFileName> parseDayFileName(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = name.find('.', start);
    parts.push_back(name.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() != 7 || parts[4] != "D" || parts[6].size() != 3) return std::nullopt;
  const std::string idText = std::string(parts[0]) + '.' + std::string(parts[1]) + '.' +
                             std::string(parts[2]) + '.' + std::string(parts[3]);
  auto id = parseSeedId(idText);
  const auto year = numberOf(parts[5]), dayOfYear = numberOf(parts[6]);
  if (!id || !year || !dayOfYear) return std::nullopt;
  const auto day = dayNumberOf(*year, *dayOfYear);
  if (!day) return std::nullopt;
  return DayFileName{std::move(*id), *day};
}

// Every regular file exactly four levels below the year directories' parent.
template <typename Visit>
void visitDayFiles(const fs::path& root, Visit visit) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    if (it.depth() == 4 && it->is_regular_file(error)) {
      if (auto parsed = parseDayFileName(it->path().filename().string())) visit(*parsed);
    }
  }
}

}  // namespace

fs::path sdsDayFile(const fs::path& root, const SeedId& id, std::int64_t dayNumber) {
  const YearDay yd = yearDayOf(dayNumber);
  char day[8];
  std::snprintf(day, sizeof day, "%03d", yd.dayOfYear);
  const std::string year = std::to_string(yd.year);
  return root / year / id.network / id.station / (id.channel + ".D") /
         (id.text() + ".D." + year + '.' + day);
}

std::vector<std::int64_t> sdsDaysPresent(const fs::path& root, const SeedId& id) {
  std::vector<std::int64_t> days;
  std::error_code error;
  for (fs::directory_iterator year(root, error), end; !error && year != end;
       year.increment(error)) {
    const fs::path dir = year->path() / id.network / id.station / (id.channel + ".D");
    std::error_code inner;
    for (fs::directory_iterator file(dir, inner); !inner && file != end; file.increment(inner)) {
      auto parsed = parseDayFileName(file->path().filename().string());
      if (parsed && parsed->id == id && sdsDayFile(root, id, parsed->day) == file->path()) {
        days.push_back(parsed->day);
      }
    }
  }
  std::sort(days.begin(), days.end());
  return days;
}

std::vector<SeedId> sdsChannels(const fs::path& root) {
  std::vector<SeedId> ids;
  visitDayFiles(root, [&](const DayFileName& file) { ids.push_back(file.id); });
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

}  // namespace analysis::archive
