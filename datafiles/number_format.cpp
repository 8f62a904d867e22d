#include "datafiles/number_format.h"

#include <charconv>
#include <cstdlib>

namespace datafiles {
namespace {

// Lays out the shortest scientific form produced by std::to_chars ("-1.2345e-07") in the
// file convention.
void appendScientific(std::string& out, std::string_view scientific) {
  std::string_view mantissa = scientific;
  int exponent = 0;
  if (const auto e = scientific.find('e'); e != std::string_view::npos) {
    mantissa = scientific.substr(0, e);
    exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
  }
  const bool negative = !mantissa.empty() && mantissa.front() == '-';
  if (negative) mantissa.remove_prefix(1);
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }
  if (digits == "0") {
    out += '0';
    return;
  }
  if (negative) out += '-';
  if (exponent >= -5 && exponent < 15) {
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-integerDigits), '0');
      out += digits;
    } else if (static_cast<std::size_t>(integerDigits) >= digits.size()) {
      out += digits;
      out.append(static_cast<std::size_t>(integerDigits) - digits.size(), '0');
    } else {
      out.append(digits, 0, static_cast<std::size_t>(integerDigits));
      out += '.';
      out.append(digits, static_cast<std::size_t>(integerDigits));
    }
    return;
  }
  out += digits.front();
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1);
  }
  out += exponent < 0 ? "E-" : "E+";
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
}

template <typename Float>
void appendShortest(std::string& out, Float value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  appendScientific(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

}  // namespace

void appendDouble(std::string& out, double value) {
  appendShortest(out, value);
}

void appendFloat(std::string& out, float value) {
  appendShortest(out, value);
}

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) out += c == '"' ? '\'' : c;
  out += '"';
}

std::string formatDouble(double value) {
  std::string text;
  appendDouble(text, value);
  return text;
}

}  // namespace datafiles
