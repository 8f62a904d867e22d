#include "datafiles/measurement_file.h"

#include "datafiles/field_reader.h"
#include "datafiles/number_format.h"

#include <cmath>
#include <limits>

namespace datafiles {

SpectrumRecords::SpectrumRecords()
    : freq(kMaxSpectrumRecords),
      re1(kMaxSpectrumRecords),
      im1(kMaxSpectrumRecords),
      re2(kMaxSpectrumRecords),
      im2(kMaxSpectrumRecords) {}

bool headerHasTwoChannels(std::string_view header) {
  return header.find("ft2") != std::string_view::npos;
}

namespace {

FileProblem problemAt(std::string_view text, const ReadProblem& problem, std::size_t recordStart) {
  // A record cut short is reported where it starts; a bad field where it stands.
  const std::size_t offset = problem.offset >= text.size() ? recordStart : problem.offset;
  std::string what = problem.what;
  if (problem.offset >= text.size())
    what = "the file ends in the middle of the record on this line";
  return {lineNumberAt(text, offset), what};
}

constexpr double kLargestFloat = std::numeric_limits<float>::max();

// Field `index` (0-based) of the record starting at `recordStart` holds a channel-1 coefficient
// that single precision cannot hold.
FileProblem beyondSinglePrecision(std::string_view text, std::size_t recordStart, int index) {
  FieldReader reader(text.substr(recordStart));
  double skipped = 0;
  for (int i = 0; i < index; ++i) reader.readNumber(skipped);
  reader.skipToNextField();
  const std::size_t start = recordStart + reader.offset();
  std::size_t end = start;
  while (end < text.size() && text[end] != ',' && text[end] != ' ' && text[end] != '\t' &&
         text[end] != '\r' && text[end] != '\n') {
    ++end;
  }
  return {lineNumberAt(text, start),
          "'" + std::string(text.substr(start, end - start)) +
              "' is beyond single precision, in which channel 1 is kept"};
}

// Record q's frequency fails the spectrum's axis (0 Hz first, then strictly rising). Other
// text of numbers, a raw-data file above all, reads as records too; this is what tells it apart.
std::optional<std::string> frequencyProblem(const SpectrumRecords& records, std::size_t q) {
  const double f = records.freq[q];
  if (q == 0 && f != 0) {
    return "the first frequency is " + formatDouble(f) + " Hz, not 0: not a spectrum file";
  }
  if (q > 0 && !(f > records.freq[q - 1])) {
    return "the frequency " + formatDouble(f) + " Hz does not rise above the record before (" +
           formatDouble(records.freq[q - 1]) + " Hz): not a spectrum file";
  }
  return std::nullopt;
}

// A file still being written ends inside a record, often inside a field ("...,4.52" of
// "...,4.5213"), which reads as a complete record with a wrong last value: the last record of a
// whole file ends with a line end. Blanks after the last line end are no record.
std::optional<FileProblem> cutInsideLastLine(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (end == 0 || text[end - 1] == '\r' || text[end - 1] == '\n') return std::nullopt;
  return FileProblem{lineNumberAt(text, end - 1), "the file ends inside its last line"};
}

}  // namespace

std::optional<FileProblem> readSpectrum(std::string_view text, SpectrumRecords& records) {
  records.count = 0;
  if (auto problem = cutInsideLastLine(text)) return problem;
  FieldReader reader(text);
  records.header = reader.readLine();
  records.twoChannels = headerHasTwoChannels(records.header);
  double re1 = 0, im1 = 0;
  while (!reader.atEnd()) {
    const std::size_t start = reader.offset();
    const std::size_t q = records.count;
    if (q == kMaxSpectrumRecords) {
      return FileProblem{lineNumberAt(text, start),
                         "more than 65537 records; a spectrum holds lines 0 to 65536"};
    }
    bool ok =
        reader.readNumber(records.freq[q]) && reader.readNumber(re1) && reader.readNumber(im1);
    if (records.twoChannels) {
      ok = ok && reader.readNumber(records.re2[q]) && reader.readNumber(records.im2[q]);
    } else {
      records.re2[q] = 0.0;
      records.im2[q] = 0.0;
    }
    if (!ok) return problemAt(text, reader.problem(), start);
    if (!(std::fabs(re1) <= kLargestFloat && std::fabs(im1) <= kLargestFloat)) {
      return beyondSinglePrecision(text, start, std::fabs(re1) <= kLargestFloat ? 2 : 1);
    }
    if (auto what = frequencyProblem(records, q)) {
      return FileProblem{lineOfSpectrumRecord(text, q), std::move(*what)};
    }
    records.re1[q] = static_cast<float>(re1);
    records.im1[q] = static_cast<float>(im1);
    records.count = q + 1;
  }
  return std::nullopt;
}

std::size_t lineOfSpectrumRecord(std::string_view text, std::size_t index) {
  FieldReader reader(text);
  const std::size_t fieldsPerRecord = headerHasTwoChannels(reader.readLine()) ? 5 : 3;
  double ignored = 0;
  for (std::size_t field = 0; field < index * fieldsPerRecord; ++field) {
    if (!reader.readNumber(ignored)) break;
  }
  reader.skipToNextField();
  return lineNumberAt(text, reader.offset());
}

}  // namespace datafiles
