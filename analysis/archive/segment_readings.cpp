#include "analysis/archive/segment_readings.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <system_error>
#include <thread>

#include "analysis/archive/segment_campaign.h"
#include "analysis/archive/segment_keys.h"

namespace analysis::archive {
namespace {

namespace fs = std::filesystem;

// The readings of every segment of `request`, computed on `threads` threads, by start.
ArchiveReport readAll(const ArchiveRequest& request, const ResponseSet& responses,
                      const FrequencyBins& bins, const RmsBand& band, unsigned threads,
                      std::map<MicroTime, CampaignFile>& read, const SegmentReadingControl& control,
                      std::size_t& computed) {
  // A block of 64 segments: the threads wait for each other once per block, not per segment,
  // and a segment's reading is a few kB.
  const unsigned workers =
      threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
  std::vector<CampaignFile> slots(std::max<std::size_t>(workers, 64));
  std::vector<MicroTime> slotStarts(slots.size());
  const SegmentWork work{.threads = workers,
                         .block = slots.size(),
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

// A place whose segment is left out, as its row says.
CampaignFile leftOut() {
  CampaignFile file;
  file.status = CampaignStatus::Refused;
  file.message = "left out: a sample missing on a channel";
  return file;
}

}  // namespace

std::uint64_t responseDigest(std::span<const std::string> responses,
                             std::span<const std::string> sensitivities) {
  SourceDigest digest;
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
  if (!session) return readEverything();
  const std::optional<SegmentKeys> keys = segmentKeys(request);
  // A span of millions of places (years of short segments) is read as without a cache rather
  // than held as places.
  if (!keys || keys->last < keys->first || keys->last - keys->first > kMostPlaces) {
    return readEverything();
  }

  // The keys of the span's places, and what the cache holds of them.
  const std::string& prefix = keys->prefix;
  std::vector<Place> places;
  bool anyCached = false, anyRead = false;
  places.reserve(static_cast<std::size_t>(keys->last - keys->first + 1));
  for (std::int64_t k = keys->first; k <= keys->last; ++k) {
    Place& place = places.emplace_back();
    place.start = k * keys->hop;
    const std::optional<std::uint64_t> sources = keys->sources(place.start);
    if (!sources) {  // no sample there: left out without reading, nothing stored
      place.reading = leftOut();
      continue;
    }
    SourceDigest digest;
    digest.add(static_cast<std::int64_t>(responsesDigest));
    digest.add(static_cast<std::int64_t>(*sources));
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
    const std::optional<ArchiveRequest> stretch = keys->stretch(places[i].start, places[j].start);
    read.clear();
    ArchiveReport part;
    if (stretch) {
      part = readAll(*stretch, responses, bins, band, threads, read, control, computed);
    } else {
      part.noSamples = true;
    }
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
      const auto it = read.find(place.start);
      if (refused && it == read.end()) {
        places.resize(p);  // what the run would have taken before its refusal
        break;
      }
      // Known before: the cache's reading (the same), or no file reaching the place.
      if (place.reading) continue;
      if (it != read.end()) {
        it->second.name = place.key.path.substr(prefix.size());
        session->store(place.key, bins.perOctave, band, it->second);
        place.reading = std::move(it->second);
      } else {
        if (!noSamples) session->store(place.key, bins.perOctave, band, leftOut());
        place.reading = leftOut();
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
