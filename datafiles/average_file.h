// The average file: spectra averaged over several measurements, written by "save" and read back
// like a measurement.
//
// Line 1: the count of spectra averaged (16-bit integer) and a title string;
// line 2: the strings "f", "psd1(mum^2/Hz)", "psd2(mum^2/Hz)", "coherence";
// then one row per frequency line i = 1 .. N/2: freq (Hz), psd1, psd2 (mum^2/Hz), coherence.
// Records end with CR LF. Line 0 (0 Hz) is never written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/file_problem.h"
#include "datafiles/lazy_zero.h"

namespace datafiles {

// Rows 1 .. 65536 (lines 0 .. 65536 of a spectrum, without line 0).
inline constexpr std::size_t kMaxAverageRows = 65536;

// What "save" writes. The rows are sum / count for lines 1 .. nSamples / 2, and only when
// count > 0: an average of nothing has no rows.
struct AverageFileContents {
  std::int16_t count = 0;
  std::string_view firstFileName;
  std::string_view currentFileName;
  std::int32_t nSamples = 0;
  std::span<const double> freq, sumPsd1, sumPsd2, sumCoh;  // indexed by line, 0 .. 65536
};

std::string formatAverageFile(const AverageFileContents& contents);

// Writes the file safely (see writeFileAtomically); returns a description of a failure.
std::optional<std::string> writeAverageFile(const std::filesystem::path& path,
                                            const AverageFileContents& contents);

// Scratch space for one average file, allocated once and reused; its pages are touched only as
// far as the files read reach (see lazy_zero.h). Rows are indexed from 1.
struct AverageRecords {
  AverageRecords();

  std::int16_t weight = 0;  // count of spectra the file stands for
  std::string header;
  bool fourColumns = false;  // header contains "psd2"; else rows are "freq, psd1"
  std::size_t count = 0;     // rows 1 .. count are valid
  LazyZeroVector<double> freq, psd1, psd2, coh;
};

// Reads an average file. Refuses (returns the problem) a first field that is not a whole number
// from 0 to 32767, a row cut short, a field that is not a number, a negative PSD, more than
// 65536 rows, and a file without rows.
std::optional<FileProblem> readAverage(std::string_view text, AverageRecords& records);

}  // namespace datafiles
