// The raw-data reader on arbitrary files, for every component and sample count.
#include <cstdint>
#include <string_view>

#include "datafiles/raw_data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static datafiles::RawSamples samples;
  if (size < 2) return 0;
  const std::size_t maxSamples = static_cast<std::size_t>(data[0]) * 64;
  const std::pair<int, int> columns[] = {{4, 11}, {5, 12}, {6, 13}};
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  datafiles::readRawData(text, maxSamples, columns[data[1] % 3], samples);
  if (samples.count > maxSamples || samples.count > datafiles::kMaxRawSamples) __builtin_trap();
  return 0;
}
