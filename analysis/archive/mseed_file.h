// Reading one miniSEED file with libmseed 2.19: SEED 2.4 data records, each decoded on its own.
//
// libmseed decodes every encoding it knows (INT16, INT32, FLOAT32, FLOAT64, Steim-1, Steim-2);
// the samples are kept as doubles (exact for every integer and single-precision value). A file
// is read whole into memory and walked record by record, so that each problem can be named by
// its byte offset:
//   - a file beginning with "MS" and version byte 3 is miniSEED 3, which libmseed 2 cannot read:
//     refused whole;
//   - a file whose first bytes are no SEED record: "no miniSEED", refused whole;
//   - a record that cannot be parsed or decoded, that is cut short by the end of the file, whose
//     header claims more samples than its data area holds (libmseed would read past the record
//     for them), whose decoded sample count differs from its header's, whose sample rate is not
//     positive and finite, one of whose samples is not finite (NaN or infinity in a float record),
//     or whose samples are text (ASCII log records of a channel asked for) is reported with the
//     file's name and the record's offset and never read as samples: the time it covered becomes a
//     gap. Reading goes on at the next record (found by stepping 128 bytes, libmseed's smallest
//     record length, when the damaged record's length is unknown).
// Trailing zero bytes or blanks (padding) are no problem.
#pragma once

#include <cstdint>

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/archive/archive_time.h"
#include "analysis/archive/seed_id.h"

namespace analysis::archive {

// One data record's samples: sample i lies at start + i / rate seconds.
struct RecordPiece {
  SeedId id;
  MicroTime start = 0;
  double rate = 0;  // samples per second
  std::vector<double> samples;
};

struct MseedFileContents {
  std::vector<RecordPiece> pieces;    // in file order
  std::vector<std::string> problems;  // "FILE: ...", one per damaged stretch or refusal
  bool refused = false;  // the whole file was refused (unreadable, miniSEED 3, no miniSEED)
};

// The records of `path` whose channel is one of `wanted` (every channel when empty) and whose
// samples reach into [from, to) (microseconds; records wholly outside are not decoded).
MseedFileContents readMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                MicroTime from, MicroTime to);

// Where decodeMseedFile hands what it reads: `expect` (optional) first learns, from the headers,
// how many samples each channel's records will bring (so that traces are reserved once), then
// `take` gets each record's samples (valid during the call only). With `takeCounts` set, records
// of integer counts (Steim, INT16, INT32) go there as libmseed decoded them instead, the caller
// converting them where it keeps them (a pass over every sample less; integers are always
// finite).
struct MseedSink {
  std::function<void(const SeedId&, std::size_t)> expect;
  std::function<void(const SeedId&, MicroTime start, double rate, std::span<const double>)> take;
  std::function<void(const SeedId&, MicroTime start, double rate, std::span<const std::int32_t>)>
      takeCounts;
};

// As readMseedFile, the samples handed to `sink` instead of kept (contents.pieces stays empty):
// a day's samples are then held once, in the traces they join.
MseedFileContents decodeMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                  MicroTime from, MicroTime to, const MseedSink& sink);
// The same, the file's bytes read into `bytes`, which a caller reading file after file keeps:
// its pages are then the process's already, not faulted in afresh for each day file.
MseedFileContents decodeMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                  MicroTime from, MicroTime to, const MseedSink& sink,
                                  std::string& bytes);

// The channel ids found in the headers of a file's records (nothing decoded), sorted, unique.
std::vector<SeedId> channelsInMseedFile(const std::filesystem::path& path);

// A data record as its header tells it: the samples it holds lie in [start, end), end = start +
// samples / rate (microseconds, not rounded).
struct RecordSpan {
  SeedId id;
  MicroTime start = 0;
  double end = 0;
  double rate = 0;
};

// The records of `path` whose channel is one of `wanted` that decodeMseedFile would decode over
// the whole time axis (a sound header, samples, a positive finite rate), in file order, from
// their headers alone: nothing is decoded. A record whose samples then fail to decode is listed
// all the same.
std::vector<RecordSpan> recordSpansInMseedFile(const std::filesystem::path& path,
                                               std::span<const SeedId> wanted);

}  // namespace analysis::archive
