#include "analysis/archive/continuous_trace.h"

#include <algorithm>
#include <cmath>

namespace analysis::archive {

bool ratesMatch(double a, double b) {
  return std::fabs(1.0 - a / b) < 1e-4;
}

namespace {

template <typename Sample>
std::vector<BasicTrace<Sample>> joined(std::vector<BasicTrace<Sample>> traces) {
  std::stable_sort(traces.begin(), traces.end(),
                   [](const auto& a, const auto& b) { return a.start < b.start; });
  // Each piece is released once appended. Traces formed by appendRecord() arrive joined, so
  // nothing large is copied here.
  std::vector<BasicTrace<Sample>> out;
  for (BasicTrace<Sample>& next : traces) {
    if (!out.empty()) {
      BasicTrace<Sample>& last = out.back();
      const double halfPeriod = 0.5 / last.rate * static_cast<double>(kMicrosPerSecond);
      if (ratesMatch(last.rate, next.rate) &&
          std::fabs(static_cast<double>(next.start) - last.nextDue()) <= halfPeriod) {
        last.samples.insert(last.samples.end(), next.samples.begin(), next.samples.end());
        std::vector<Sample>().swap(next.samples);
        continue;
      }
    }
    out.push_back(std::move(next));
  }
  return out;
}

}  // namespace

std::vector<Trace> joinIntoTraces(std::vector<Trace> traces, std::vector<RecordPiece> pieces) {
  for (RecordPiece& piece : pieces) {
    traces.push_back({piece.start, piece.rate, std::move(piece.samples)});
  }
  return joined(std::move(traces));
}

std::vector<Trace> joinTraces(std::vector<Trace> traces) {
  return joined(std::move(traces));
}

std::vector<CountTrace> joinTraces(std::vector<CountTrace> traces) {
  return joined(std::move(traces));
}

namespace {

template <typename Kept, typename Sample>
void appendSamples(std::vector<BasicTrace<Kept>>& traces, MicroTime start, double rate,
                   std::span<const Sample> samples, std::size_t& reserve) {
  bool continues = false;
  if (!traces.empty()) {
    const BasicTrace<Kept>& last = traces.back();
    const double halfPeriod = 0.5 / last.rate * static_cast<double>(kMicrosPerSecond);
    continues = ratesMatch(last.rate, rate) &&
                std::fabs(static_cast<double>(start) - last.nextDue()) <= halfPeriod;
  }
  if (!continues) traces.push_back({start, rate, {}});
  std::vector<Kept>& into = traces.back().samples;
  if (reserve > 0) {
    // A little more than asked for, so that the next day's samples, of a slightly longer
    // remainder, still fit in this buffer (dropBefore() keeps it).
    const std::size_t needed = into.size() + std::max(reserve, samples.size());
    if (needed > into.capacity()) into.reserve(needed + needed / 64);
    reserve = 0;
  }
  into.insert(into.end(), samples.begin(), samples.end());
}

}  // namespace

void appendRecord(std::vector<Trace>& traces, MicroTime start, double rate,
                  std::span<const double> samples, std::size_t& reserve) {
  appendSamples(traces, start, rate, samples, reserve);
}

void appendRecord(std::vector<Trace>& traces, MicroTime start, double rate,
                  std::span<const std::int32_t> counts, std::size_t& reserve) {
  appendSamples(traces, start, rate, counts, reserve);
}

void appendRecord(std::vector<CountTrace>& traces, MicroTime start, double rate,
                  std::span<const std::int32_t> counts, std::size_t& reserve) {
  appendSamples(traces, start, rate, counts, reserve);
}

namespace {

template <typename Sample>
std::optional<std::span<const Sample>> samplesIn(std::span<const BasicTrace<Sample>> traces,
                                                 MicroTime t, std::size_t count, double rate) {
  for (const BasicTrace<Sample>& trace : traces) {
    if (!ratesMatch(trace.rate, rate)) continue;
    const double offset = static_cast<double>(t - trace.start) / kMicrosPerSecond * trace.rate;
    const double first = std::floor(offset + 0.5);
    if (first < 0 ||
        first + static_cast<double>(count) > static_cast<double>(trace.samples.size())) {
      continue;
    }
    return std::span<const Sample>(trace.samples).subspan(static_cast<std::size_t>(first), count);
  }
  return std::nullopt;
}

template <typename Sample>
void dropAllBefore(std::vector<BasicTrace<Sample>>& traces, MicroTime t) {
  std::vector<BasicTrace<Sample>> kept;
  for (BasicTrace<Sample>& trace : traces) {
    const double offset = static_cast<double>(t - trace.start) / kMicrosPerSecond * trace.rate;
    const double first = std::floor(offset + 0.5);
    if (first <= 0) {
      kept.push_back(std::move(trace));
    } else if (first < static_cast<double>(trace.samples.size())) {
      const auto drop = static_cast<std::size_t>(first);
      // The rest moved to the front of the same buffer: the next day's samples are appended
      // into pages the process already has, instead of a fresh day's worth of pages faulted in
      // one by one (a quarter of the decoding time of a month).
      trace.samples.erase(trace.samples.begin(),
                          trace.samples.begin() + static_cast<std::ptrdiff_t>(drop));
      trace.start += std::llround(static_cast<double>(drop) / trace.rate * kMicrosPerSecond);
      kept.push_back(std::move(trace));
    }
  }
  traces = std::move(kept);
}

}  // namespace

std::optional<std::span<const double>> samplesFrom(std::span<const Trace> traces, MicroTime t,
                                                   std::size_t count, double rate) {
  return samplesIn(traces, t, count, rate);
}

std::optional<std::span<const std::int32_t>> samplesFrom(std::span<const CountTrace> traces,
                                                         MicroTime t, std::size_t count,
                                                         double rate) {
  return samplesIn(traces, t, count, rate);
}

void dropBefore(std::vector<Trace>& traces, MicroTime t) {
  dropAllBefore(traces, t);
}

void dropBefore(std::vector<CountTrace>& traces, MicroTime t) {
  dropAllBefore(traces, t);
}

}  // namespace analysis::archive
