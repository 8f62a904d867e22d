// The campaign readings of a station archive's segments (segment_campaign.h), through the
// campaign cache (analysis/campaign/campaign_cache.h), for an SDS tree and for miniSEED files.
//
// A segment's row is keyed by a path of its own, "archive:HEX/NAME": HEX a digest of the source
// (SDS: the root, absolute; miniSEED: none, the files are the place's sources), the segment
// length and the overlap; NAME the segment's name, which holds the channel pair and the start.
// The row's size column holds a digest of everything else the reading depends on: the place's
// sources (segment_keys.h: the day files around it, or the miniSEED files reaching into it, by
// path, size and modification time) and the digest of the responses (responseDigest). The bins
// per octave are the row's own column; a band not stored reads the segment again. A change of
// any of them misses, and the segment is read again and its row replaced.
//
// The span's grid places are those forEachSegment takes or counts as left out
// (archive_segments.h), found from the record headers alone; a warm run decodes no sample (a
// miniSEED source's files are read for their headers). A place whose segment is left out is
// stored as a refused row saying so (one no file reaches is known to be left out without one),
// so the left-out count is the same with and without the cache. The places are looked up
// first, and only the stretches around the misses are read (forEachSegment from the first to
// the last miss of a stretch, from the files it needs; misses more than a day apart are read
// as separate stretches; places of a stretch the cache held keep its reading and count as
// from the cache). What the cache gives back is bit for bit what reading gave, so the
// tables are the same with and without it. Damaged records of files not read again are not
// reported again.
//
// No cache session, or a source the cache cannot key (segment_keys.h: miniSEED files changing
// their sample rate, no day files, a grid out of bounds): every segment is read, as
// forEachSegment does.
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
