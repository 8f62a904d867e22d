// The campaign readings of a station archive's segments (segment_campaign.h), through the
// campaign cache (analysis/campaign/campaign_cache.h) for an SDS tree.
//
// A segment's row is keyed by a path of its own, "archive:HEX/NAME": HEX a digest of the SDS
// root (absolute), the segment length and the overlap; NAME the segment's name, which holds the
// channel pair and the start. The row's size column holds a digest of everything else the
// reading depends on: the path, size and modification time (ns) of each channel's day files from
// the day before the segment's start to the day of its end (a file absent is part of the digest
// too, so a day file appearing reads the segment again), and the digest of the responses
// (responseDigest). The bins per octave are the row's own column; a band not stored reads the
// segment again. A change of any of them misses, and the segment is read again and its row
// replaced.
//
// A grid place in the span whose segment is left out (a sample missing) is stored as a refused
// row saying so, so that a warm run decodes nothing: the span's grid places are looked up
// first, and only the stretches around the misses are read (forEachSegment from the first to
// the last miss of a stretch; misses more than a day apart are read as separate stretches).
// Without --from the span begins on the first day file's day, without --to it ends with the
// last day file's day: places after the data's end are then left out (the run without cache
// stops there without counting them). What the cache gives back is bit for bit what reading
// gave, so the tables are the same with and without it. Damaged records of day files not read
// again are not reported again.
//
// --mseed files, or no cache session: every segment is read, as forEachSegment does.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/archive/archive_segments.h"
#include "analysis/campaign/campaign_cache.h"
#include "analysis/campaign/frequency_bins.h"

namespace analysis::archive {

struct SegmentReadings {
  std::vector<CampaignFile> files;  // the complete segments, in time order
  std::vector<MicroTime> starts;    // of each
  std::size_t fromCache = 0;        // segments whose reading came from the cache
  ArchiveReport report;
};

// For a caller off the GUI thread: `progress` is called on the calling thread after each
// segment computed (not those the cache gives) with the count computed so far; a stop
// requested ends the reading after the segment being computed, storing nothing more in the
// cache (no place is stored as left out because it was not read), and the readings are then
// incomplete.
struct SegmentReadingControl {
  std::stop_token stop = {};
  std::function<void(std::size_t computed)> progress = {};
};

// `threads` as SegmentWork's; `session` may be null (no cache).
SegmentReadings readSegments(const ArchiveRequest& request, const ResponseSet& responses,
                             std::uint64_t responsesDigest, const FrequencyBins& bins,
                             const RmsBand& band, unsigned threads, CampaignCache::Session* session,
                             const SegmentReadingControl& control = {});

// A digest (FNV-1a, 64 bits) of the response arguments ("FILE" or "ID=FILE") with the bytes of
// their files, and of the sensitivities ("ID=S"): another response file, or the same file
// changed, gives another digest.
std::uint64_t responseDigest(std::span<const std::string> responses,
                             std::span<const std::string> sensitivities);

}  // namespace analysis::archive
