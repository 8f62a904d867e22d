#include "datafiles/number_format.h"

#include <charconv>
#include <cmath>

namespace datafiles {
namespace {

// Writes the shortest scientific form of `value` that std::to_chars gives ("-1.2345e-07") in
// the file convention. Works in a local buffer: this runs for every number of a result file.
template <typename Float>
void appendShortest(std::string& out, Float value) {
  if (!std::isfinite(value)) return;  // callers refuse such values; an empty field at worst
  char scientific[48];
  const auto converted = std::to_chars(scientific, scientific + sizeof scientific, value,
                                       std::chars_format::scientific);
  const char* p = scientific;
  const char* const end = converted.ptr;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[24];
  int digitCount = 0;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.') digits[digitCount++] = *p;
  }
  int exponent = 0;
  if (p < end) {
    ++p;  // 'e'
    const bool negativeExponent = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    for (; p < end; ++p) exponent = exponent * 10 + (*p - '0');
    if (negativeExponent) exponent = -exponent;
  }
  if (digitCount == 1 && digits[0] == '0') {
    out += '0';
    return;
  }

  char text[48];
  char* o = text;
  const auto copyDigits = [&](int from, int to) {
    for (int i = from; i < to; ++i) *o++ = digits[i];
  };
  if (negative) *o++ = '-';
  if (exponent >= -5 && exponent < 15) {
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
      *o++ = '0';
      *o++ = '.';
      for (int i = integerDigits; i < 0; ++i) *o++ = '0';
      copyDigits(0, digitCount);
    } else if (integerDigits >= digitCount) {
      copyDigits(0, digitCount);
      for (int i = digitCount; i < integerDigits; ++i) *o++ = '0';
    } else {
      copyDigits(0, integerDigits);
      *o++ = '.';
      copyDigits(integerDigits, digitCount);
    }
  } else {
    *o++ = digits[0];
    if (digitCount > 1) {
      *o++ = '.';
      copyDigits(1, digitCount);
    }
    *o++ = 'E';
    *o++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude >= 100) *o++ = static_cast<char>('0' + magnitude / 100);
    *o++ = static_cast<char>('0' + magnitude / 10 % 10);
    *o++ = static_cast<char>('0' + magnitude % 10);
  }
  out.append(text, static_cast<std::size_t>(o - text));
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
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"') {
      out += '\'';
    } else if (byte < 0x20 || byte == 0x7f) {
      out += '?';
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string formatDouble(double value) {
  std::string text;
  appendDouble(text, value);
  return text;
}

}  // namespace datafiles
