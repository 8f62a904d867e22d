#include "datafiles/back_transformation_file.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "datafiles/lazy_zero.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace datafiles {

namespace {

constexpr std::string_view kHeader = "\"rft1\",\"rft2\"\r\n";

std::size_t rowCount(std::span<const double> trace1, std::span<const double> trace2,
                     std::size_t n) {
  return std::min({n + 1, trace1.size(), trace2.size()});
}

constexpr std::size_t kLongestRow = 2 * kLongestNumber + 3;

// Lays out the rows of positions from .. to - 1 at `out`, which has room for (to - from) x
// kLongestRow characters; returns the end.
char* writeRows(char* out, std::span<const double> trace1, std::span<const double> trace2,
                std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    out = writeDouble(out, trace1[i]);
    *out++ = ',';
    out = writeDouble(out, trace2[i]);
    *out++ = '\r';
    *out++ = '\n';
  }
  return out;
}

// Room for `bytes` characters that costs only the pages written (see lazy_zero.h).
std::unique_ptr<char, ZeroPagesRelease> roomFor(std::size_t bytes) {
  return {static_cast<char*>(allocateZeroPages(bytes)), ZeroPagesRelease{bytes}};
}

}  // namespace

std::string formatBackTransformationFile(std::span<const double> trace1,
                                         std::span<const double> trace2, std::size_t n) {
  std::string out(kHeader);
  for (std::size_t i = 0; i < rowCount(trace1, trace2, n); ++i) {
    char row[kLongestRow];
    out.append(row, static_cast<std::size_t>(writeRows(row, trace1, trace2, i, i + 1) - row));
  }
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
  // A long record's rows take most of the time: a second thread lays out the second half while
  // the first half is laid out and written in pieces of a few thousand rows.
  constexpr std::size_t kRowsPerPiece = 4096;
  const std::size_t rows = rowCount(trace1, trace2, n);
  const std::size_t split = rows >= 4 * kRowsPerPiece ? rows / 2 : rows;
  std::unique_ptr<char, ZeroPagesRelease> secondHalf;
  std::size_t secondHalfBytes = 0;
  std::jthread layout;
  if (split < rows) {
    secondHalf = roomFor((rows - split) * kLongestRow);
    layout = std::jthread([&, out = secondHalf.get()] {
      secondHalfBytes = static_cast<std::size_t>(writeRows(out, trace1, trace2, split, rows) - out);
    });
  }
  return writeFileAtomically(path, [&](const ChunkSink& write) {
    write(kHeader);
    const auto piece = roomFor(kRowsPerPiece * kLongestRow);
    for (std::size_t from = 0; from < split; from += kRowsPerPiece) {
      const char* end =
          writeRows(piece.get(), trace1, trace2, from, std::min(split, from + kRowsPerPiece));
      write({piece.get(), static_cast<std::size_t>(end - piece.get())});
    }
    if (layout.joinable()) {
      layout.join();
      write({secondHalf.get(), secondHalfBytes});
    }
  });
}

}  // namespace datafiles
