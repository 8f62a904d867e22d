// Continuous traces of one channel, joined from record pieces with libmseed's usual tolerances
// (man 3 mst_findmatch, timetol = -1, sampratetol = -1):
//   - a piece continues a trace when its rate r2 and the trace's rate r1 satisfy
//     |1 - r1 / r2| < 1e-4, and its first sample lies within half a sample period (1 / (2 r1))
//     of the time the trace's next sample is due: start + count / r1;
//   - otherwise it begins a new trace (a gap, an overlap or a change of rate).
// Pieces are taken in the order of their start times (out-of-order records are healed).
// Sample i of a trace lies at start + i / rate.
#pragma once

#include <cstdint>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "analysis/archive/archive_time.h"
#include "analysis/archive/mseed_file.h"

namespace analysis::archive {

template <typename Sample>
struct BasicTrace {
  MicroTime start = 0;
  double rate = 0;
  std::vector<Sample> samples;

  // When the sample after the last is due, microseconds (not rounded).
  double nextDue() const {
    return static_cast<double>(start) +
           static_cast<double>(samples.size()) / rate * static_cast<double>(kMicrosPerSecond);
  }
};
using Trace = BasicTrace<double>;
// Integer counts as Steim, INT16 and INT32 records hold them: half the memory of doubles, and
// converted exactly where they are used.
using CountTrace = BasicTrace<std::int32_t>;

// |1 - a / b| < 1e-4.
bool ratesMatch(double a, double b);

// Joins `pieces` (of one channel) with `traces` already formed into traces sorted by start.
std::vector<Trace> joinIntoTraces(std::vector<Trace> traces, std::vector<RecordPiece> pieces);
// Traces formed by appendRecord() sorted by start and joined where they continue each other.
std::vector<Trace> joinTraces(std::vector<Trace> traces);
std::vector<CountTrace> joinTraces(std::vector<CountTrace> traces);

// Appends one record's samples to the last of `traces` when they continue it (the tolerances
// above), else begins a new trace; `reserve`, when above 0, is the room the trace grown should
// have for the samples still to come (taken once: it is set to 0). Records in time order join
// here; joinIntoTraces() then heals the rest.
void appendRecord(std::vector<Trace>& traces, MicroTime start, double rate,
                  std::span<const double> samples, std::size_t& reserve);
// The same for a record of integer counts, converted as they are appended, or kept as counts.
void appendRecord(std::vector<Trace>& traces, MicroTime start, double rate,
                  std::span<const std::int32_t> counts, std::size_t& reserve);
void appendRecord(std::vector<CountTrace>& traces, MicroTime start, double rate,
                  std::span<const std::int32_t> counts, std::size_t& reserve);

// The `count` consecutive samples from the one lying within half a sample of `t` (the nearest
// sample, rounded half up), of a trace whose rate matches `rate`; nothing when no trace holds
// them all (a gap, the start or end of the data).
std::optional<std::span<const double>> samplesFrom(std::span<const Trace> traces, MicroTime t,
                                                   std::size_t count, double rate);
std::optional<std::span<const std::int32_t>> samplesFrom(std::span<const CountTrace> traces,
                                                         MicroTime t, std::size_t count,
                                                         double rate);

// Drops every sample lying before `t` less half a sample; a trace keeping samples keeps its
// buffer for the samples still to come (a day's worth, reused day after day).
void dropBefore(std::vector<Trace>& traces, MicroTime t);
void dropBefore(std::vector<CountTrace>& traces, MicroTime t);

}  // namespace analysis::archive
