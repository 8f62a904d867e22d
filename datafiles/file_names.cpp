#include "datafiles/file_names.h"

#include "datafiles/leading_value.h"

namespace datafiles {

bool isAverageFileName(std::string_view name) {
  return name.starts_with(kAveragePrefix);
}

std::int32_t stemLengthOf(std::string_view name) {
  if (name.size() >= 9 && (name[8] == '.' || name[8] == 'x')) return 8;
  return 10;
}

double stemValueOf(std::string_view name, std::int32_t stemLength) {
  return leadingValue(name.substr(0, static_cast<std::size_t>(stemLength)));
}

bool isVetoedName(std::string_view name, std::int32_t stemLength) {
  const auto stem = static_cast<std::size_t>(stemLength);
  return name.size() >= stem && name.substr(stem, kVetoMark.size()) == kVetoMark;
}

namespace {

char lowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view renameTail(std::string_view name) {
  const char last = name.empty() ? '\0' : lowerCase(name.back());
  const bool hasComponent = last == 'z' || last == 'n' || last == 'e';
  const std::size_t length = hasComponent ? 5 : 4;
  return name.size() > length ? name.substr(name.size() - length) : name;
}

std::string toggledVetoName(std::string_view name, std::int32_t stemLength) {
  std::string toggled(name.substr(0, static_cast<std::size_t>(stemLength)));
  if (!isVetoedName(name, stemLength)) toggled += kVetoMark;
  toggled += renameTail(name);
  return toggled;
}

std::filesystem::path rawDataPathOf(const std::filesystem::path& directory, std::string_view name,
                                    std::int32_t stemLength) {
  const std::string stem(name.substr(0, static_cast<std::size_t>(stemLength)));
  const std::filesystem::path lower = directory / (stem + ".prn");
  const std::filesystem::path upper = directory / (stem + ".PRN");
  std::error_code ec;
  if (!std::filesystem::exists(lower, ec) && std::filesystem::exists(upper, ec)) return upper;
  return lower;
}

std::optional<std::pair<int, int>> rawColumnsOf(std::string_view name) {
  if (name.empty()) return std::nullopt;
  switch (lowerCase(name.back())) {
    case 'v':
    case 'w':
    case 'z':
      return std::pair{4, 11};
    case 'n':
      return std::pair{5, 12};
    case 'e':
      return std::pair{6, 13};
    default:
      return std::nullopt;
  }
}

bool hasSpectrumExtension(std::string_view name, std::int32_t stemLength) {
  const auto stem = static_cast<std::size_t>(stemLength);
  if (name.size() < stem) return false;
  std::string_view rest = name.substr(stem);
  if (rest.starts_with(kVetoMark)) rest.remove_prefix(kVetoMark.size());
  if (rest.size() < 4 || rest[0] != '.' || (rest[1] | 0x20) != 'c' || (rest[2] | 0x20) != 's') {
    return false;
  }
  const char last = static_cast<char>(rest[3] | 0x20);
  return last == 'v' || last == 'w';
}

}  // namespace datafiles
