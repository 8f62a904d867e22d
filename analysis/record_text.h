// The first steps every run takes with a spectrum or average file: reading its whole text and
// deriving the record length from its line count, with the refusals they share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace analysis {

// Reads `fileName` in `directory` into `text` (reusing its capacity) and sets `nSamples` to
// twice the number of lines after the header, normalised (datafiles/line_count.h). Returns the
// reason for refusing the file, naming it, when it cannot be read, is empty, holds no data
// records or more lines than a spectrum has (65537); `nSamples` is then unchanged.
std::optional<std::string> readRecordText(const std::filesystem::path& directory,
                                          std::string_view fileName, std::string& text,
                                          std::int32_t& nSamples);

// "name: what".
std::string withFileName(std::string_view fileName, std::string_view what);

}  // namespace analysis
