// The file-name rules on arbitrary names.
#include <cstdint>
#include <string>

#include "datafiles/file_names.h"
#include "datafiles/leading_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  datafiles::isAverageFileName(name);
  const std::int32_t stem = datafiles::stemLengthOf(name);
  if (stem != 8 && stem != 10) __builtin_trap();
  datafiles::stemValueOf(name, stem);
  datafiles::leadingValue(name);
  const bool vetoed = datafiles::isVetoedName(name, stem);
  const std::string toggled = datafiles::toggledVetoName(name, stem);
  if (!vetoed && toggled.find(datafiles::kVetoMark) == std::string::npos) __builtin_trap();
  datafiles::renameTail(name);
  datafiles::rawDataPathOf("/data", name, stem);
  datafiles::rawColumnsOf(name);
  return 0;
}
