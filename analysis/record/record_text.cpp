#include "analysis/record/record_text.h"

#include "analysis/record/analysis_state.h"
#include "datafiles/field_reader.h"
#include "datafiles/line_count.h"

namespace analysis {

std::string withFileName(std::string_view fileName, std::string_view what) {
  return std::string(fileName) + ": " + std::string(what);
}

std::optional<std::string> sampleCountOf(std::string_view fileName, std::string_view text,
                                         std::int32_t& nSamples) {
  const std::size_t lines = datafiles::countLinesAfterFirst(text);
  if (lines == 0) {
    const bool blank = datafiles::FieldReader(text).atEnd();
    return withFileName(fileName, blank ? "the file is empty" : "holds no data records");
  }
  if (lines > kLastLine + 1) {
    return withFileName(
        fileName, "has " + std::to_string(lines) + " lines after the header; at most 65537 fit");
  }
  nSamples = datafiles::normaliseSampleCount(2 * static_cast<std::int64_t>(lines));
  return std::nullopt;
}

}  // namespace analysis
