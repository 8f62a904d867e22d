#include "datafiles/raw_data_file.h"

#include <array>

#include "datafiles/field_reader.h"

namespace datafiles {

RawSamples::RawSamples() : channel1(kMaxRawSamples + 1), channel2(kMaxRawSamples + 1) {}

std::optional<FileProblem> readRawData(std::string_view text, std::size_t maxSamples,
                                       std::pair<int, int> columns, RawSamples& samples) {
  FieldReader reader(text);
  reader.readLine();
  samples.count = 0;
  std::array<double, kRawColumns + 1> row{};  // 1-based like the file's columns
  while (!reader.atEnd()) {
    const std::size_t r = samples.count + 1;
    if (r > maxSamples) break;
    const std::size_t start = reader.offset();
    if (r > kMaxRawSamples) {
      return FileProblem{lineNumberAt(text, start),
                         "more than 12000 samples; the raw time axis ends at sample 12000"};
    }
    for (int column = 1; column <= kRawColumns; ++column) {
      if (!reader.readNumber(row[static_cast<std::size_t>(column)])) {
        const ReadProblem& p = reader.problem();
        if (p.offset >= text.size()) {
          return FileProblem{lineNumberAt(text, start),
                             "the file ends in the middle of the record on this line"};
        }
        return FileProblem{lineNumberAt(text, p.offset), p.what};
      }
    }
    samples.channel1[r] = row[static_cast<std::size_t>(columns.first)];
    samples.channel2[r] = row[static_cast<std::size_t>(columns.second)];
    samples.count = r;
  }
  return std::nullopt;
}

}  // namespace datafiles
