// The back-transformation file: the header strings "rft1", "rft2", then one row per sample
// position i = 0 .. N with the two back-transformed traces (mum, or mum/s in velocity mode).
// There is no time column. Records end with CR LF.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace datafiles {

// Rows for positions 0 .. N of `trace1` and `trace2` (both must hold at least N + 1 values).
std::string formatBackTransformationFile(std::span<const double> trace1,
                                         std::span<const double> trace2, std::size_t n);

// Writes the file safely (see writeFileAtomically); returns a description of a failure. Traces
// that hold a value that is not finite are refused before anything is written.
std::optional<std::string> writeBackTransformationFile(const std::filesystem::path& path,
                                                       std::span<const double> trace1,
                                                       std::span<const double> trace2,
                                                       std::size_t n);

}  // namespace datafiles
