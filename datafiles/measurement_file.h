// Reader of spectrum files: a header line, then one record per frequency line from 0 Hz up,
// "freq, re1, im1, re2, im2" when the header contains "ft2", else "freq, re1, im1".
// Coefficients are the velocity spectrum of each channel in mum/s; freq is in Hz.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/file_problem.h"
#include "datafiles/lazy_zero.h"

namespace datafiles {

// Lines 0 .. 65536 of a spectrum.
inline constexpr std::size_t kMaxSpectrumRecords = 65537;

// Scratch space for one spectrum file, allocated once for the largest file and reused; its
// pages are touched only as far as the files read reach (see lazy_zero.h).
struct SpectrumRecords {
  SpectrumRecords();

  std::string header;
  bool twoChannels = false;
  std::size_t count = 0;  // records 0 .. count - 1 are valid
  LazyZeroVector<double> freq;
  LazyZeroVector<float> re1, im1;   // channel 1 is kept in single precision
  LazyZeroVector<double> re2, im2;  // 0 for one-channel files
};

bool headerHasTwoChannels(std::string_view header);

// Reads every record of `text` into `records`. On a problem `records` holds a partial file and
// the problem is returned: a text whose last record does not end with a line end ("the file
// ends inside its last line": a file still being written, perhaps cut inside a field that
// would read as a number; tested before any record is read), a record cut short by the end of the
// file, a field that is not a number, a channel-1 coefficient beyond single precision (magnitude
// above 3.4028235e38), more than kMaxSpectrumRecords records, and a frequency column that does not
// start at 0 Hz and rise strictly from each record to the next (no spectrum file: a raw-data file,
// for one, reads as records too, since fields are taken regardless of line ends).
std::optional<FileProblem> readSpectrum(std::string_view text, SpectrumRecords& records);

// Line on which record `index` (0-based) of `text` starts, for messages about a record's values.
std::size_t lineOfSpectrumRecord(std::string_view text, std::size_t index);

}  // namespace datafiles
