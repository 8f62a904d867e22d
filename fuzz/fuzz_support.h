// What the whole-path fuzz targets share: a private directory for the files they hand to the
// per-file run, and the checks on the text the program writes.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

// A directory of this process's own, removed at exit.
inline const std::filesystem::path& workDirectory() {
  static const std::filesystem::path dir = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("psd-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(workDirectory(), ignored);
    });
    return path;
  }();
  return dir;
}

inline void writeFile(const std::string& name, std::string_view contents) {
  std::ofstream out(workDirectory() / name, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

// Every field after the first `headerLines` lines of a comma-separated text must read back, in
// full, as a finite number; a string field (in double quotes) is allowed where `allowStrings`.
inline bool everyNumberReadsBackFinite(std::string_view text, int headerLines) {
  std::size_t pos = 0;
  for (int skipped = 0; skipped < headerLines && pos < text.size(); ++skipped) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) return true;
    pos = end + 1;
  }
  while (pos < text.size()) {
    std::size_t end = text.find_first_of(",\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    if (end > pos) {
      const std::string field(text.substr(pos, end - pos));
      char* stop = nullptr;
      const double value = std::strtod(field.c_str(), &stop);
      if (stop != field.c_str() + field.size() || !std::isfinite(value)) return false;
    }
    pos = end + 1;
  }
  return true;
}

// True when text[pos..] starts with `prefix` followed by one or more digits and then `suffix`;
// `pos` moves past the suffix.
inline bool digitsBetween(std::string_view text, std::size_t& pos, std::string_view prefix,
                          std::string_view suffix) {
  if (text.substr(pos, prefix.size()) != prefix) return false;
  pos += prefix.size();
  const std::size_t first = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  if (pos == first) return false;
  if (text.substr(pos, suffix.size()) != suffix) return false;
  pos += suffix.size();
  return true;
}

}  // namespace fuzz
