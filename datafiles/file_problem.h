// A problem found in an input file, located by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace datafiles {

struct FileProblem {
  std::size_t line = 0;  // 1-based; 0 when the problem concerns the file as a whole
  std::string what;
};

// "12345678.csvz: line 17: 'abc' is not a number", or "name: what" without a line.
inline std::string describe(const FileProblem& problem, std::string_view fileName) {
  std::string text(fileName);
  text += ": ";
  if (problem.line > 0) text += "line " + std::to_string(problem.line) + ": ";
  text += problem.what;
  return text;
}

}  // namespace datafiles
