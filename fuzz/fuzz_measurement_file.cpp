// The spectrum reader and the line count on arbitrary files.
#include <cstdint>
#include <string_view>

#include "datafiles/line_count.h"
#include "datafiles/measurement_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static datafiles::SpectrumRecords records;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t lines = datafiles::countLinesAfterFirst(text);
  if (lines > size) __builtin_trap();
  datafiles::normaliseSampleCount(2 * static_cast<std::int64_t>(lines));
  const auto problem = datafiles::readSpectrum(text, records);
  if (records.count > datafiles::kMaxSpectrumRecords) __builtin_trap();
  if (problem && problem->line == 0) __builtin_trap();  // a record's problem names its line
  if (records.count > 0) datafiles::lineOfSpectrumRecord(text, records.count - 1);
  return 0;
}
