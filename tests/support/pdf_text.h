// The text of a PDF as a PDF-to-text tool extracts it (pdftotext of poppler-utils, in
// scripts/setup-deps), for tests of what a report says.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace testing_support {

// The page text in layout order, every run of blanks made one space; empty when the tool is
// missing or the file is no PDF.
inline std::string pdfText(const std::filesystem::path& pdf) {
  const std::string command = "pdftotext -layout '" + pdf.string() + "' - 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string text;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  pclose(pipe);
  std::string words;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\t';
    if (!(blank && !words.empty() && (words.back() == ' ' || words.back() == '\n'))) {
      words += blank ? ' ' : c;
    }
  }
  return words;
}

}  // namespace testing_support
