// The first steps every run takes with a spectrum or average file: reading its whole text and
// deriving the record length from its line count, with the refusals they share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "datafiles/text_file.h"

namespace analysis {

// "name: what".
std::string withFileName(std::string_view fileName, std::string_view what);

// Sets `nSamples` to twice the number of lines after the header of `text`, normalised
// (datafiles/line_count.h). Returns the reason for refusing the file, naming it, when the text
// is empty, holds no data records or more lines than a spectrum has (65537); `nSamples` is
// then unchanged.
std::optional<std::string> sampleCountOf(std::string_view fileName, std::string_view text,
                                         std::int32_t& nSamples);

// Reads `fileName` in `directory` into `text` (any buffer datafiles::readWholeFile fills and
// that reads as a string_view; its capacity is reused), then sampleCountOf(). Returns the reason
// for refusing the file, naming it.
template <typename Text>
std::optional<std::string> readRecordText(const std::filesystem::path& directory,
                                          std::string_view fileName, Text& text,
                                          std::int32_t& nSamples) {
  if (auto failure = datafiles::readWholeFile(directory / std::string(fileName), text)) {
    return withFileName(fileName, *failure);
  }
  return sampleCountOf(fileName, text, nSamples);
}

}  // namespace analysis
