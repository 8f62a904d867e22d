// Checks of option values shared by psd-analyze's option groups.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>

namespace tools {

// An option of two values (FLOW FHIGH) given another number of them. Registered with
// trigger_on_parse, the check sees each occurrence's own values: CLI11 would otherwise gather
// the values of every occurrence and keep the last two, so that "--band 1 2 --band 3" passed
// as the band 2 .. 3.
inline void requireTwoValues(const std::string& option, std::size_t given) {
  if (given != 2) {
    throw CLI::ValidationError(option,
                               "2 required FLOW FHIGH, " + std::to_string(given) + " given");
  }
}

// A path given as an empty text.
inline std::string nonEmptyPath(const std::string& path) {
  return path.empty() ? std::string("PATH is empty") : std::string();
}

}  // namespace tools
