// Segments of a station archive, in time order: the driver that reads the sources a day at a
// time, forms continuous traces, cuts the segment grid and computes each segment's record.
//
// Sources: miniSEED files (a directory stands for every regular file under it), read whole, or
// an SDS tree, read one day file per channel at a time: for segments starting in FROM .. TO the
// day files from the day before FROM's day (records cross midnight) up to the day of the last
// segment's end are opened, each once, in order; after day D is read every sample before the
// next midnight is known, and the segments ending by then are cut. Samples no segment still
// needs are dropped, so memory holds about a day of each channel.
//
// Channels: ID1 (channel 1) and optionally ID2 (channel 2); one id gives one-channel records.
// The rate is that of the first trace of channel 1; a channel 2 of another rate (libmseed's
// tolerance, |1 - r1/r2| < 1e-4) is refused (no resampling).
// The span: the grid places from FROM to TO. Without FROM it begins with the first place at or
// after the earliest sample of either channel (SDS: in the first day's files); without TO it
// ends with the last place whose segment ends by the end of the data, E + 1 / (2 x rate), E
// the end of the latest record of either channel (SDS: also every place whose segment ends by
// the beginning of the last day file's day, which may hold nothing readable).
// Left out (counted, not taken): a place of the span whose segment has a sample missing on
// either channel (a gap, a damaged record, the start or end of the data within FROM .. TO, a
// trace at another rate). Places before the first sample or after the end of the data, with
// no FROM or TO asking for them, are no segments and not counted.
// Every segment needs a response for each channel covering its start; the first channel
// without one refuses the run, naming the id.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/archive/response_set.h"
#include "analysis/archive/seed_id.h"
#include "analysis/archive/segment_grid.h"
#include "analysis/archive/segment_record.h"

namespace analysis::archive {

struct ArchiveRequest {
  std::vector<std::filesystem::path> mseedPaths;  // files or directories
  std::filesystem::path sdsRoot;                  // or an SDS tree (when mseedPaths is empty)
  SeedId channel1;
  std::optional<SeedId> channel2;
  SegmentGrid grid;
  std::optional<MicroTime> from, to;  // segment starts, inclusive
};

struct ArchiveReport {
  std::string refusal;      // empty when the run went through; else why nothing (more) was cut
  bool usageError = false;  // the refusal is the request's fault (segment length, rates)
  std::vector<std::string> problems;             // damaged files and records, response notes
  std::size_t segments = 0;                      // given to the callback
  std::size_t leftOut = 0;                       // in the span but incomplete
  std::vector<std::filesystem::path> filesRead;  // in the order read
  bool noSamples = false;  // the refusal: no sample of channel 1 in the span read
};

// Calls `take` with each complete segment in time order; `take` returns false to stop.
// The record passed is reused for the next segment.
ArchiveReport forEachSegment(const ArchiveRequest& request, const ResponseSet& responses,
                             const std::function<bool(const SegmentRecord&)>& take);

// The per-segment work on `threads` threads (0: one per core): the segments are taken in
// blocks of `block` consecutive ones (0 or fewer than the threads: one per thread); the threads
// share out a block's segments, each computing a segment's record (its spectra) and calling
// `reduce(record, slot)`, slot = the segment's place in the block; then, on the calling thread,
// `take(slot)` for each slot in time order, false to stop. `reduce` is called for different
// slots at once; a record is reused for the thread's next segment, so what `take` needs is kept
// by `reduce` (with one thread and block, the record is there still). Only one record per thread
// is held (about 2 MB each at 65536 samples), never a day of them; a block longer than the
// threads lets them run on without waiting for each other after every segment.
// With two threads or more an SDS day's two channel files are also decoded at once.
// Everything reported and taken is the same as with one thread, in the same order.
// With `rawSamples` false the records' raw1 and raw2 stay empty (work a campaign does not use).
struct SegmentWork {
  unsigned threads = 1;
  std::size_t block = 0;
  bool rawSamples = true;
  std::function<void(const SegmentRecord&, std::size_t slot)> reduce;
  std::function<bool(std::size_t slot)> take;
};
ArchiveReport forEachSegment(const ArchiveRequest& request, const ResponseSet& responses,
                             const SegmentWork& work);

// The files of the miniSEED arguments, in their order, a directory giving every regular file
// under it (sorted by path).
std::vector<std::filesystem::path> mseedFilesOf(const std::vector<std::filesystem::path>& paths);

// "ID1[+ID2]@START".
std::string segmentName(const SeedId& channel1, const std::optional<SeedId>& channel2,
                        MicroTime start);

}  // namespace analysis::archive
