#include "datafiles/average_file.h"

#include <algorithm>
#include <cmath>

#include "datafiles/field_reader.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace datafiles {

std::string formatAverageFile(const AverageFileContents& c) {
  std::string out;
  const std::string count = std::to_string(c.count);
  out += count;
  out += ',';
  appendQuoted(out, "average for " + count + " files from " + std::string(c.firstFileName) +
                        " to " + std::string(c.currentFileName));
  out += kRecordEnd;
  out += R"x("f","psd1(mum^2/Hz)","psd2(mum^2/Hz)","coherence")x";
  out += kRecordEnd;
  if (c.count <= 0) return out;
  const std::size_t lastLine = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(c.nSamples, 0) / 2), c.freq.size() - 1);
  out.reserve(out.size() + lastLine * 80);
  const double count_ = c.count;
  for (std::size_t i = 1; i <= lastLine; ++i) {
    appendDouble(out, c.freq[i]);
    out += ',';
    appendDouble(out, c.sumPsd1[i] / count_);
    out += ',';
    appendDouble(out, c.sumPsd2[i] / count_);
    out += ',';
    appendDouble(out, c.sumCoh[i] / count_);
    out += kRecordEnd;
  }
  return out;
}

std::optional<std::string> writeAverageFile(const std::filesystem::path& path,
                                            const AverageFileContents& contents) {
  return writeFileAtomically(path, formatAverageFile(contents));
}

AverageRecords::AverageRecords()
    : freq(kMaxAverageRows + 1),
      psd1(kMaxAverageRows + 1),
      psd2(kMaxAverageRows + 1),
      coh(kMaxAverageRows + 1) {}

std::optional<FileProblem> readAverage(std::string_view text, AverageRecords& records) {
  FieldReader reader(text);
  const auto problem = [&](std::size_t offset, std::string what) {
    return FileProblem{lineNumberAt(text, offset), std::move(what)};
  };
  const auto readProblem = [&](std::size_t recordStart) {
    const ReadProblem& p = reader.problem();
    if (p.offset >= text.size()) {
      return problem(recordStart, "the file ends in the middle of the row on this line");
    }
    return problem(p.offset, p.what);
  };

  double weight = 0;
  std::string_view title;
  if (!reader.readNumber(weight)) return readProblem(0);
  if (weight != std::floor(weight) || weight < 0 || weight > 32767) {
    return problem(0, "the count of averaged spectra must be a whole number from 0 to 32767");
  }
  if (!reader.readText(title)) return readProblem(0);
  records.weight = static_cast<std::int16_t>(weight);
  records.header = reader.readLine();
  records.fourColumns = records.header.find("psd2") != std::string::npos;
  records.count = 0;

  while (!reader.atEnd()) {
    const std::size_t start = reader.offset();
    const std::size_t q = records.count + 1;
    if (q > kMaxAverageRows) {
      return problem(start, "more than 65536 rows; a spectrum holds lines 0 to 65536");
    }
    bool ok = reader.readNumber(records.freq[q]) && reader.readNumber(records.psd1[q]);
    if (records.fourColumns) {
      ok = ok && reader.readNumber(records.psd2[q]) && reader.readNumber(records.coh[q]);
    } else {
      records.psd2[q] = 0.0;
      records.coh[q] = 0.0;
    }
    if (!ok) return readProblem(start);
    if (records.psd1[q] < 0 || records.psd2[q] < 0)
      return problem(start, "a PSD cannot be negative");
    records.count = q;
  }
  if (records.count == 0) {
    return FileProblem{0, "holds no data rows (an average of no spectra)"};
  }
  return std::nullopt;
}

}  // namespace datafiles
