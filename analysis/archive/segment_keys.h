// What the cached reading of a station archive's segment depends on (segment_readings.h): the
// span's grid places, the sources of each place's reading, and the files a stretch of places
// is read from.
//
// The span is forEachSegment's (archive_segments.h): FROM .. TO, else from the earliest sample
// to the end of the data, learnt from record headers alone (recordSpansInMseedFile: nothing is
// decoded): SDS, of the first day's files and of the last day's and the day before; miniSEED,
// of every file.
//
// SDS tree: a place's sources are the path, size and modification time (ns) of each channel's
// day files from the day before its start to the day of its end (start + SECONDS + 1 s); a day
// file absent is a source too, so one appearing reads the place again.
//
// miniSEED files: every file's records of the two channels are learnt from their headers (the
// files are read, their samples not decoded). A place's sources are the files, in the order
// given, with a record reaching into its window [start - 1 s, start + SECONDS + 1 s) (the
// window forEachSegment decodes for it), by path, size and modification time: a file changed,
// added or removed there reads the place again, one elsewhere does not. A place no file
// reaches holds no sample: it is left out without a look-up (nothing to decode). The samples
// of a segment lie in its window; records outside it only place the samples of a trace they
// join, which for records on the sample grid (to half a sample) changes nothing. A stretch of
// places is read from the files reaching into its windows only.
// The cache is used only when each channel's records in the span have one sample rate, bit for
// bit: the rate of a run is that of its first trace, which for a stretch read alone would
// depend on where the stretch begins. Such files are read as without a cache. An SDS tree's
// rates are not checked (that would read every day file): a tree changing its rate within the
// span can give a cached run other readings at the change than reading it whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/archive/archive_segments.h"

namespace analysis::archive {

// FNV-1a, 64 bits: the same bytes give the same digest on every run, unlike std::hash. Each
// field added is ended, so that ("ab", "c") and ("a", "bc") differ.
class SourceDigest {
 public:
  void add(std::string_view bytes);
  void add(std::int64_t v);
  std::uint64_t value() const { return value_; }

 private:
  std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

struct SegmentKeys {
  std::string prefix;                // of the rows' paths: "archive:HEX/"
  MicroTime hop = 0;                 // of the grid
  std::int64_t first = 0, last = 0;  // the span's grid places k (start k x hop), inclusive
  // The digest of the sources of the place starting at `start`; nothing when no file can give
  // it a sample. Called in time order.
  std::function<std::optional<std::uint64_t>(MicroTime start)> sources;
  // The request reading the places starting in [from, to]; nothing when no file can give them
  // a sample.
  std::function<std::optional<ArchiveRequest>(MicroTime from, MicroTime to)> stretch;
};

// Nothing when the cache cannot be used for `request` (it is then read as without a cache,
// which also refuses what is to be refused: no day files, no samples, a grid out of bounds).
std::optional<SegmentKeys> segmentKeys(const ArchiveRequest& request);

}  // namespace analysis::archive
