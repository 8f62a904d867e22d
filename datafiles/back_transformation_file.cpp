#include "datafiles/back_transformation_file.h"

#include <algorithm>
#include <cmath>

#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace datafiles {

namespace {

constexpr std::string_view kHeader = "\"rft1\",\"rft2\"\r\n";

std::size_t rowCount(std::span<const double> trace1, std::span<const double> trace2,
                     std::size_t n) {
  return std::min({n + 1, trace1.size(), trace2.size()});
}

// Appends the rows of positions from .. to - 1.
void appendRows(std::string& out, std::span<const double> trace1, std::span<const double> trace2,
                std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    char row[2 * kLongestNumber + 3];
    char* end = writeDouble(row, trace1[i]);
    *end++ = ',';
    end = writeDouble(end, trace2[i]);
    *end++ = '\r';
    *end++ = '\n';
    out.append(row, static_cast<std::size_t>(end - row));
  }
}

}  // namespace

std::string formatBackTransformationFile(std::span<const double> trace1,
                                         std::span<const double> trace2, std::size_t n) {
  std::string out(kHeader);
  const std::size_t rows = rowCount(trace1, trace2, n);
  out.reserve(out.size() + rows * 48);
  appendRows(out, trace1, trace2, 0, rows);
  return out;
}

std::optional<std::string> writeBackTransformationFile(const std::filesystem::path& path,
                                                       std::span<const double> trace1,
                                                       std::span<const double> trace2,
                                                       std::size_t n) {
  const std::span<const double> traces[] = {trace1, trace2};
  for (std::size_t t = 0; t < 2; ++t) {
    const std::span<const double> trace = traces[t].first(std::min(n + 1, traces[t].size()));
    const auto bad = std::find_if(trace.begin(), trace.end(),
                                  [](double value) { return !std::isfinite(value); });
    if (bad != trace.end()) {
      return "not written: position " + std::to_string(bad - trace.begin()) + " of trace " +
             std::to_string(t + 1) + " is not a finite number";
    }
  }
  // Written in pieces of a few thousand rows: a long record's file is never held whole.
  return writeFileAtomically(path, [&](const ChunkSink& write) {
    constexpr std::size_t kRowsPerPiece = 4096;
    std::string piece(kHeader);
    piece.reserve(kRowsPerPiece * (2 * kLongestNumber + 3));
    const std::size_t rows = rowCount(trace1, trace2, n);
    for (std::size_t from = 0; from < rows; from += kRowsPerPiece) {
      appendRows(piece, trace1, trace2, from, std::min(rows, from + kRowsPerPiece));
      write(piece);
      piece.clear();
    }
    if (rows == 0) write(piece);
  });
}

}  // namespace datafiles
