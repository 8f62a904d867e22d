#include "analysis/archive/segment_readings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <system_error>
#include <thread>

#include "analysis/archive/sds_layout.h"
#include "analysis/archive/segment_campaign.h"

namespace analysis::archive {
namespace {

namespace fs = std::filesystem;

// FNV-1a, 64 bits: the same bytes give the same digest on every run, unlike std::hash.
class Digest {
 public:
  void add(std::string_view bytes) {
    for (const char c : bytes) {
      value_ ^= static_cast<unsigned char>(c);
      value_ *= 0x100000001b3ULL;
    }
    add0();
  }
  void add(std::int64_t v) { add(std::string_view(reinterpret_cast<const char*>(&v), sizeof v)); }
  std::uint64_t value() const { return value_; }

 private:
  void add0() { value_ = (value_ ^ 0xffU) * 0x100000001b3ULL; }  // ends a field
  std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

std::string hex(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// The readings of every segment of `request`, computed on `threads` threads, by start.
ArchiveReport readAll(const ArchiveRequest& request, const ResponseSet& responses,
                      const FrequencyBins& bins, const RmsBand& band, unsigned threads,
                      std::map<MicroTime, CampaignFile>& read, const SegmentReadingControl& control,
                      std::size_t& computed) {
  std::vector<CampaignFile> slots(threads > 0 ? threads
                                              : std::max(1u, std::thread::hardware_concurrency()));
  std::vector<MicroTime> slotStarts(slots.size());
  const SegmentWork work{.threads = static_cast<unsigned>(slots.size()),
                         .rawSamples = false,
                         .reduce =
                             [&](const SegmentRecord& r, std::size_t slot) {
                               slots[slot] = segmentCampaignFile(r, bins, band);
                               slotStarts[slot] = r.start;
                             },
                         .take =
                             [&](std::size_t slot) {
                               read.emplace(slotStarts[slot], std::move(slots[slot]));
                               if (control.progress) control.progress(++computed);
                               return !control.stop.stop_requested();
                             }};
  return forEachSegment(request, responses, work);
}

void addReport(ArchiveReport& total, ArchiveReport&& part) {
  total.problems.insert(total.problems.end(), part.problems.begin(), part.problems.end());
  total.filesRead.insert(total.filesRead.end(), part.filesRead.begin(), part.filesRead.end());
}

// A grid place of the span and what is known of it.
struct Place {
  MicroTime start = 0;
  CacheKey key;
  std::optional<CampaignFile> reading;  // used, or refused: left out; nothing: not yet known
  bool cached = false;
};

constexpr std::int64_t kMostPlaces = 4'000'000;
constexpr const char* kLeftOut = "left out: a sample missing on a channel";

}  // namespace

std::uint64_t responseDigest(std::span<const std::string> responses,
                             std::span<const std::string> sensitivities) {
  Digest digest;
  for (const std::string& argument : responses) {
    digest.add(argument);
    std::error_code error;
    fs::path file = argument;
    const std::size_t equals = argument.find('=');
    if (!fs::exists(file, error) && equals != std::string::npos) file = argument.substr(equals + 1);
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    digest.add(bytes);
  }
  for (const std::string& sensitivity : sensitivities) digest.add("s" + sensitivity);
  return digest.value();
}

SegmentReadings readSegments(const ArchiveRequest& request, const ResponseSet& responses,
                             std::uint64_t responsesDigest, const FrequencyBins& bins,
                             const RmsBand& band, unsigned threads, CampaignCache::Session* session,
                             const SegmentReadingControl& control) {
  SegmentReadings out;
  std::size_t computed = 0;
  std::map<MicroTime, CampaignFile> read;
  const auto readEverything = [&] {
    out.report = readAll(request, responses, bins, band, threads, read, control, computed);
    for (auto& [start, file] : read) {
      out.starts.push_back(start);
      out.files.push_back(std::move(file));
    }
    return std::move(out);
  };
  if (!session || !request.mseedPaths.empty()) return readEverything();
  std::vector<SeedId> ids{request.channel1};
  if (request.channel2) ids.push_back(*request.channel2);
  std::vector<std::int64_t> days;
  for (const SeedId& id : ids) {
    const auto present = sdsDaysPresent(request.sdsRoot, id);
    if (present.empty()) return readEverything();  // refused there, naming the channel
    days.insert(days.end(), present.begin(), present.end());
  }
  std::sort(days.begin(), days.end());
  const SegmentGrid& grid = request.grid;
  const double hopSeconds = grid.seconds * (1 - grid.overlapPercent / 100);
  if (!(hopSeconds > 0) || !std::isfinite(hopSeconds) || !(grid.overlapPercent >= 0)) {
    return readEverything();  // refused there
  }
  const SegmentLayout layout{.hop = std::llround(hopSeconds * kMicrosPerSecond)};
  if (layout.hop <= 0) return readEverything();
  const MicroTime from = request.from.value_or(days.front() * kMicrosPerDay);
  const MicroTime to = request.to.value_or((days.back() + 1) * kMicrosPerDay - 1);
  const std::int64_t kFirst = layout.firstAtOrAfter(from), kLast = layout.lastAtOrBefore(to);
  // A span of millions of places (years of short segments) is read as without a cache rather
  // than held as places.
  if (kLast < kFirst || kLast - kFirst > kMostPlaces) return readEverything();

  // The keys of the span's places; each day's files examined once.
  std::error_code error;
  const fs::path root = fs::absolute(request.sdsRoot, error).lexically_normal();
  Digest source;
  source.add(root.string());
  source.add(std::llround(grid.seconds * kMicrosPerSecond));
  source.add(std::llround(grid.overlapPercent * 1e6));
  const std::string prefix = "archive:" + hex(source.value()) + "/";
  std::map<std::int64_t, std::string> dayFiles;
  const auto filesOfDay = [&](std::int64_t day) -> const std::string& {
    auto [it, added] = dayFiles.try_emplace(day);
    if (added) {
      for (const SeedId& id : ids) {
        const fs::path file = sdsDayFile(request.sdsRoot, id, day);
        const auto key = CacheKey::of(file);
        it->second += key ? key->path + '\n' + std::to_string(key->size) + '\n' +
                                std::to_string(key->modifiedNs) + '\n'
                          : file.string() + "\nabsent\n";
      }
    }
    return it->second;
  };
  const auto length = std::llround((grid.seconds + 1) * kMicrosPerSecond);
  std::vector<Place> places;
  bool anyCached = false, anyRead = false;
  places.reserve(static_cast<std::size_t>(kLast - kFirst + 1));
  for (std::int64_t k = kFirst; k <= kLast; ++k) {
    Place& place = places.emplace_back();
    place.start = layout.startOf(k);
    Digest digest;
    digest.add(static_cast<std::int64_t>(responsesDigest));
    for (std::int64_t day = dayNumberOf(place.start) - 1; day <= dayNumberOf(place.start + length);
         ++day) {
      digest.add(filesOfDay(day));
    }
    place.key =
        CacheKey{.path = prefix + segmentName(request.channel1, request.channel2, place.start),
                 .size = static_cast<std::int64_t>(digest.value() >> 2),
                 .modifiedNs = 0};
    CampaignFile file;
    file.name = place.key.path.substr(prefix.size());
    if (session->lookup(place.key, bins.perOctave, band, file)) {
      file.modified.reset();  // a segment has no file of its own
      place.reading = std::move(file);
      place.cached = true;
      anyCached = true;
    }
  }

  // The misses read, a stretch at a time.
  std::size_t i = 0;
  while (i < places.size()) {
    if (places[i].reading) {
      ++i;
      continue;
    }
    std::size_t j = i;
    for (std::size_t next = i + 1; next < places.size(); ++next) {
      if (places[next].start - places[j].start > kMicrosPerDay) break;
      if (!places[next].reading) j = next;
    }
    ArchiveRequest stretch = request;
    stretch.from = places[i].start;
    stretch.to = places[j].start;
    read.clear();
    ArchiveReport part = readAll(stretch, responses, bins, band, threads, read, control, computed);
    if (control.stop.stop_requested()) break;  // the stretch not stored: it was not read whole
    const bool refused = !part.refusal.empty() && !part.noSamples;
    // A stretch without samples (its day files absent) is not stored: reading it costs nothing,
    // and the whole span without samples is refused below as without a cache.
    const bool noSamples = part.noSamples;
    anyRead = anyRead || !noSamples;
    if (refused) {
      out.report.refusal = part.refusal;
      out.report.usageError = part.usageError;
    }
    addReport(out.report, std::move(part));
    for (std::size_t p = i; p <= j; ++p) {
      Place& place = places[p];
      if (const auto it = read.find(place.start); it != read.end()) {
        it->second.name = place.key.path.substr(prefix.size());
        session->store(place.key, bins.perOctave, band, it->second);
        place.reading = std::move(it->second);
        place.cached = false;
      } else if (!refused) {
        CampaignFile leftOut;
        leftOut.status = CampaignStatus::Refused;
        leftOut.message = kLeftOut;
        if (!noSamples) session->store(place.key, bins.perOctave, band, leftOut);
        place.reading = std::move(leftOut);
      } else {
        places.resize(p);  // what the run would have taken before its refusal
        break;
      }
    }
    if (refused) break;
    i = j + 1;
  }
  session->commit();
  for (Place& place : places) {
    if (!place.reading) continue;
    if (place.reading->status != CampaignStatus::Used) {
      ++out.report.leftOut;
      continue;
    }
    ++out.report.segments;
    if (place.cached) ++out.fromCache;
    out.starts.push_back(place.start);
    out.files.push_back(std::move(*place.reading));
  }
  // Nothing in the whole span: refused as the run without cache refuses it.
  if (out.report.refusal.empty() && out.files.empty() && !anyRead && !anyCached) {
    out.report.refusal = "no samples of " + request.channel1.text() + " in the span read";
  }
  return out;
}

}  // namespace analysis::archive
