// Reader of raw-data files (".prn"): a first line that is skipped, then one sample per record
// of 14 numbers. Two of the columns hold channel 1 and channel 2 of the chosen component,
// in counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "datafiles/file_problem.h"
#include "datafiles/lazy_zero.h"

namespace datafiles {

inline constexpr int kRawColumns = 14;
// The raw time axis ends at sample 12000: longer traces are not shown.
inline constexpr std::size_t kMaxRawSamples = 12000;

// Scratch space for the two channel columns, touched only as far as the files read reach;
// samples are indexed from 1.
struct RawSamples {
  RawSamples();

  std::size_t count = 0;  // samples 1 .. count are valid
  LazyZeroVector<double> channel1, channel2;
};

// Reads samples 1 .. at most `maxSamples` (the record's sample count), keeping the 1-based
// `columns`. A file with more than kMaxRawSamples samples to read, a record cut short or a field
// that is not a number is refused with the problem.
std::optional<FileProblem> readRawData(std::string_view text, std::size_t maxSamples,
                                       std::pair<int, int> columns, RawSamples& samples);

}  // namespace datafiles
