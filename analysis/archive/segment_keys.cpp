#include "analysis/archive/segment_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <system_error>
#include <variant>
#include <vector>

#include "analysis/archive/mseed_file.h"
#include "analysis/archive/sds_layout.h"
#include "analysis/campaign/campaign_cache.h"

namespace analysis::archive {
namespace {

namespace fs = std::filesystem;

constexpr MicroTime kEarliest = std::numeric_limits<MicroTime>::min() / 4;
constexpr MicroTime kLatest = std::numeric_limits<MicroTime>::max() / 4;

std::string hex(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// The file as the cache compares it: path, size and modification time, or its absence.
std::string stampOf(const fs::path& file) {
  const auto key = CacheKey::of(file);
  return key ? key->path + '\n' + std::to_string(key->size) + '\n' +
                   std::to_string(key->modifiedNs) + '\n'
             : file.string() + "\nabsent\n";
}

std::int64_t rateBits(double rate) {
  std::int64_t bits = 0;
  static_assert(sizeof bits == sizeof rate);
  std::memcpy(&bits, &rate, sizeof bits);
  return bits;
}

// What the headers tell of the records of the two channels.
struct RecordsSeen {
  MicroTime earliest = kLatest;
  double end = 0;  // of the latest record
  std::optional<double> rate1, rate2;
  bool oneRate = true;  // each channel's records all of one rate

  void add(const RecordSpan& r, const SeedId& channel1) {
    earliest = std::min(earliest, r.start);
    end = std::max(end, r.end);
    std::optional<double>& rate = r.id == channel1 ? rate1 : rate2;
    if (rate && *rate != r.rate) oneRate = false;
    if (!rate) rate = r.rate;
  }
};

// The segment's length at `rate` in microseconds, as the run cuts it; nothing when the grid
// cannot be cut at that rate (the run refuses it).
std::optional<MicroTime> segmentLength(const SegmentGrid& grid, double rate) {
  const auto layout = layoutFor(grid, rate);
  if (!std::holds_alternative<SegmentLayout>(layout)) return std::nullopt;
  return std::llround(std::get<SegmentLayout>(layout).recordSeconds() * kMicrosPerSecond);
}

// The last start whose segment of `length` ends by `end`, the end of the data, to half a
// sample.
MicroTime lastStartBefore(double end, double rate, MicroTime length) {
  return static_cast<MicroTime>(std::floor(end + 0.5e6 / rate - static_cast<double>(length)));
}

MicroTime windowLength(const SegmentGrid& grid) {
  return std::llround((grid.seconds + 1) * kMicrosPerSecond);
}

std::optional<SegmentKeys> sdsKeys(const ArchiveRequest& request, const std::vector<SeedId>& ids,
                                   SegmentKeys keys) {
  std::vector<std::int64_t> days;
  for (const SeedId& id : ids) {
    const auto present = sdsDaysPresent(request.sdsRoot, id);
    if (present.empty()) return std::nullopt;  // refused by the run, naming the channel
    days.insert(days.end(), present.begin(), present.end());
  }
  std::sort(days.begin(), days.end());
  const auto seen = [&](std::int64_t firstDay, std::int64_t lastDay) {
    RecordsSeen records;
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
      for (const SeedId& id : ids) {
        for (const RecordSpan& r :
             recordSpansInMseedFile(sdsDayFile(request.sdsRoot, id, day), ids)) {
          records.add(r, request.channel1);
        }
      }
    }
    return records;
  };
  MicroTime from = 0, to = 0;
  if (request.from) {
    from = *request.from;
  } else {
    const RecordsSeen first = seen(days.front(), days.front());
    if (first.earliest == kLatest) return std::nullopt;
    from = first.earliest;
  }
  if (request.to) {
    to = *request.to;
  } else {
    const RecordsSeen last = seen(days.back() - 1, days.back());
    if (!last.rate1) return std::nullopt;
    const auto length = segmentLength(request.grid, *last.rate1);
    if (!length) return std::nullopt;
    // Every place ending by the last day's beginning is cut before that day is read.
    to = std::max(days.back() * kMicrosPerDay - *length,
                  lastStartBefore(last.end, *last.rate1, *length));
  }
  const SegmentLayout layout{.hop = keys.hop};
  keys.first = layout.firstAtOrAfter(from);
  keys.last = layout.lastAtOrBefore(to);

  std::error_code error;
  SourceDigest source;
  source.add(fs::absolute(request.sdsRoot, error).lexically_normal().string());
  source.add(std::llround(request.grid.seconds * kMicrosPerSecond));
  source.add(std::llround(request.grid.overlapPercent * 1e6));
  keys.prefix = "archive:" + hex(source.value()) + "/";
  auto dayFiles = std::make_shared<std::map<std::int64_t, std::string>>();
  const MicroTime window = windowLength(request.grid);
  keys.sources = [request, ids, dayFiles, window](MicroTime start) -> std::optional<std::uint64_t> {
    SourceDigest digest;
    for (std::int64_t day = dayNumberOf(start) - 1; day <= dayNumberOf(start + window); ++day) {
      auto [it, added] = dayFiles->try_emplace(day);
      if (added) {
        for (const SeedId& id : ids) it->second += stampOf(sdsDayFile(request.sdsRoot, id, day));
      }
      digest.add(it->second);
    }
    return digest.value();
  };
  keys.stretch = [request](MicroTime from, MicroTime to) -> std::optional<ArchiveRequest> {
    ArchiveRequest stretch = request;
    stretch.from = from;
    stretch.to = to;
    return stretch;
  };
  return keys;
}

// The stretches of time a file's records of the two channels cover, and the file.
struct Reach {
  MicroTime start = 0;
  double end = 0;
  std::size_t file = 0;
};

// The files reaching into windows that move forward in time, without going over every file
// for each window.
class ReachSweep {
 public:
  explicit ReachSweep(std::shared_ptr<const std::vector<Reach>> reaches)
      : reaches_(std::move(reaches)) {}

  // The files reaching into [from, to), sorted; `from` and `to` never less than the last
  // call's.
  std::vector<std::size_t> files(MicroTime from, MicroTime to) {
    const std::vector<Reach>& reaches = *reaches_;
    while (next_ < reaches.size() && reaches[next_].start < to) active_.push_back(next_++);
    std::erase_if(active_,
                  [&](std::size_t i) { return reaches[i].end <= static_cast<double>(from); });
    std::vector<std::size_t> files;
    for (const std::size_t i : active_) files.push_back(reaches[i].file);
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
  }

 private:
  std::shared_ptr<const std::vector<Reach>> reaches_;  // by start
  std::size_t next_ = 0;
  std::vector<std::size_t> active_;  // begun before the last window's end
};

std::optional<SegmentKeys> mseedKeys(const ArchiveRequest& request, const std::vector<SeedId>& ids,
                                     SegmentKeys keys) {
  const std::vector<fs::path> files = mseedFilesOf(request.mseedPaths);
  const MicroTime window = windowLength(request.grid);
  // The window the run decodes.
  const MicroTime windowFrom = request.from ? *request.from - kMicrosPerSecond : kEarliest;
  const MicroTime windowTo = request.to ? *request.to + window : kLatest;
  const double gapJoined = static_cast<double>(window + kMicrosPerSecond);
  RecordsSeen records;
  auto reaches = std::make_shared<std::vector<Reach>>();
  for (std::size_t f = 0; f < files.size(); ++f) {
    std::vector<RecordSpan> spans = recordSpansInMseedFile(files[f], ids);
    std::sort(spans.begin(), spans.end(),
              [](const RecordSpan& a, const RecordSpan& b) { return a.start < b.start; });
    for (const RecordSpan& r : spans) {
      if (r.start >= windowTo || r.end <= static_cast<double>(windowFrom)) continue;
      records.add(r, request.channel1);
      // Records closer than a window's length join: every window between them reaches one.
      if (!reaches->empty() && reaches->back().file == f &&
          static_cast<double>(r.start) < reaches->back().end + gapJoined) {
        reaches->back().end = std::max(reaches->back().end, r.end);
      } else {
        reaches->push_back({r.start, r.end, f});
      }
    }
  }
  if (!records.rate1 || !records.oneRate) return std::nullopt;
  const auto length = segmentLength(request.grid, *records.rate1);
  if (!length) return std::nullopt;
  const SegmentLayout layout{.hop = keys.hop};
  keys.first = layout.firstAtOrAfter(request.from.value_or(records.earliest));
  keys.last = layout.lastAtOrBefore(
      request.to.value_or(lastStartBefore(records.end, *records.rate1, *length)));
  std::stable_sort(reaches->begin(), reaches->end(),
                   [](const Reach& a, const Reach& b) { return a.start < b.start; });

  SourceDigest source;
  source.add("mseed");
  source.add(std::llround(request.grid.seconds * kMicrosPerSecond));
  source.add(std::llround(request.grid.overlapPercent * 1e6));
  keys.prefix = "archive:" + hex(source.value()) + "/";
  auto stamps = std::make_shared<std::vector<std::string>>();
  for (const fs::path& file : files) stamps->push_back(stampOf(file));
  const std::int64_t rates[] = {rateBits(*records.rate1), rateBits(records.rate2.value_or(0))};
  auto sweep = std::make_shared<ReachSweep>(reaches);
  keys.sources = [sweep, stamps, rates, window](MicroTime start) -> std::optional<std::uint64_t> {
    const auto reaching = sweep->files(start - kMicrosPerSecond, start + window);
    if (reaching.empty()) return std::nullopt;
    SourceDigest digest;
    for (const std::int64_t rate : rates) digest.add(rate);
    for (const std::size_t f : reaching) digest.add((*stamps)[f]);
    return digest.value();
  };
  keys.stretch = [request, files, reaches, window](MicroTime from,
                                                   MicroTime to) -> std::optional<ArchiveRequest> {
    std::vector<bool> reaching(files.size());
    for (const Reach& r : *reaches) {
      if (r.start < to + window && r.end > static_cast<double>(from - kMicrosPerSecond)) {
        reaching[r.file] = true;
      }
    }
    ArchiveRequest stretch = request;
    stretch.mseedPaths.clear();
    for (std::size_t f = 0; f < files.size(); ++f) {
      if (reaching[f]) stretch.mseedPaths.push_back(files[f]);
    }
    if (stretch.mseedPaths.empty()) return std::nullopt;
    stretch.from = from;
    stretch.to = to;
    return stretch;
  };
  return keys;
}

}  // namespace

void SourceDigest::add(std::string_view bytes) {
  for (const char c : bytes) {
    value_ ^= static_cast<unsigned char>(c);
    value_ *= 0x100000001b3ULL;
  }
  value_ = (value_ ^ 0xffU) * 0x100000001b3ULL;  // ends the field
}

void SourceDigest::add(std::int64_t v) {
  add(std::string_view(reinterpret_cast<const char*>(&v), sizeof v));
}

std::optional<SegmentKeys> segmentKeys(const ArchiveRequest& request) {
  const SegmentGrid& grid = request.grid;
  const double hopSeconds = grid.seconds * (1 - grid.overlapPercent / 100);
  if (!(hopSeconds > 0) || !std::isfinite(hopSeconds) || !(grid.overlapPercent >= 0)) {
    return std::nullopt;  // refused by the run
  }
  SegmentKeys keys;
  keys.hop = std::llround(hopSeconds * kMicrosPerSecond);
  if (keys.hop <= 0) return std::nullopt;
  std::vector<SeedId> ids{request.channel1};
  if (request.channel2) ids.push_back(*request.channel2);
  return request.mseedPaths.empty() ? sdsKeys(request, ids, std::move(keys))
                                    : mseedKeys(request, ids, std::move(keys));
}

}  // namespace analysis::archive
