// Fields of the campaign's tables (RFC 4180 text, one record per line).
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "datafiles/number_format.h"

namespace analysis {

// Appends ",value" (shortest round-trip form), or "," alone for no value (NaN).
inline void appendField(std::string& out, double value) {
  out += ',';
  if (!std::isnan(value)) datafiles::appendDouble(out, value);
}

// Appends a name, quoted (its quotes doubled) when it holds a comma, a quote or a line break.
inline void appendName(std::string& out, std::string_view name) {
  if (name.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += name;
    return;
  }
  out += '"';
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace analysis
