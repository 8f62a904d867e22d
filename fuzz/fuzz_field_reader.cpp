// Field syntax on arbitrary bytes; and every written double reads back exactly.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "datafiles/field_reader.h"
#include "datafiles/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  datafiles::FieldReader reader(text);
  for (std::size_t step = 0; step <= size && !reader.atEnd(); ++step) {
    const std::size_t before = reader.offset();
    double value = 0;
    std::string_view field;
    switch (step % 3) {
      case 0:
        if (reader.readNumber(value) && !(std::fabs(value) <= datafiles::kLargestAcceptedNumber)) {
          __builtin_trap();  // an accepted number is always finite and in range
        }
        break;
      case 1:
        reader.readText(field);
        break;
      default:
        reader.readLine();
        break;
    }
    if (reader.offset() > size || reader.offset() < before) __builtin_trap();
    if (reader.offset() == before) break;  // a field that is not a number stops a read
  }
  datafiles::lineNumberAt(text, size / 2);

  if (size >= sizeof(double)) {
    double value;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value) && std::fabs(value) <= datafiles::kLargestAcceptedNumber) {
      const std::string written = datafiles::formatDouble(value);
      datafiles::FieldReader back(written);
      double read = 0;
      if (!back.readNumber(read) || (read != value)) __builtin_trap();
    }
  }
  return 0;
}
