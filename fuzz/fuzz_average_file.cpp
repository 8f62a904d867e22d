// The average-file reader on arbitrary files; what it accepts, written again, reads back the
// same.
#include <cstdint>
#include <string_view>
#include <vector>

#include "datafiles/average_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static datafiles::AverageRecords records, again;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (datafiles::readAverage(text, records) || records.weight != 1 || !records.fourColumns)
    return 0;
  // With a weight of 1 the sums are the values themselves.
  std::vector<double> freq(65537), psd1(65537), psd2(65537), coh(65537);
  for (std::size_t q = 1; q <= records.count; ++q) {
    freq[q] = records.freq[q];
    psd1[q] = records.psd1[q];
    psd2[q] = records.psd2[q];
    coh[q] = records.coh[q];
  }
  const auto n = static_cast<std::int32_t>(2 * records.count);
  const std::string written = datafiles::formatAverageFile({1, "a", "b", n, freq, psd1, psd2, coh});
  if (datafiles::readAverage(written, again) || again.count != records.count) __builtin_trap();
  for (std::size_t q = 1; q <= records.count; ++q) {
    if (again.freq[q] != freq[q] || again.psd1[q] != psd1[q] || again.coh[q] != coh[q]) {
      __builtin_trap();
    }
  }
  return 0;
}
