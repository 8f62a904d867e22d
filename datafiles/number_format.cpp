#include "datafiles/number_format.h"

#include <charconv>
#include <cmath>

namespace datafiles {
namespace {

// Lays out the shortest scientific form that std::to_chars gives ("-1.2345e-07") in the file
// convention at `out`. This runs for every number of a result file: no allocation.
template <typename Float>
char* writeShortest(char* out, Float value) {
  if (!std::isfinite(value)) return out;  // callers refuse such values; an empty field at worst
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
    *out++ = '0';
    return out;
  }

  const auto copyDigits = [&](int from, int to) {
    for (int i = from; i < to; ++i) *out++ = digits[i];
  };
  if (negative) *out++ = '-';
  if (exponent >= -5 && exponent < 15) {
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
      *out++ = '0';
      *out++ = '.';
      for (int i = integerDigits; i < 0; ++i) *out++ = '0';
      copyDigits(0, digitCount);
    } else if (integerDigits >= digitCount) {
      copyDigits(0, digitCount);
      for (int i = digitCount; i < integerDigits; ++i) *out++ = '0';
    } else {
      copyDigits(0, integerDigits);
      *out++ = '.';
      copyDigits(integerDigits, digitCount);
    }
    return out;
  }
  *out++ = digits[0];
  if (digitCount > 1) {
    *out++ = '.';
    copyDigits(1, digitCount);
  }
  *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

template <typename Float>
void appendShortest(std::string& out, Float value) {
  char text[kLongestNumber];
  out.append(text, static_cast<std::size_t>(writeShortest(text, value) - text));
}

}  // namespace

char* writeDouble(char* out, double value) {
  // From 1e-5 up to below 1e15 the shortest digits have an exponent from -5 to 14 (1e-5 is the
  // double nearest 1e-5, and 1e15 is exact), and the plain decimal form is exactly what
  // to_chars writes in fixed notation: written in one step.
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-5 && magnitude < 1e15) {
    return std::to_chars(out, out + kLongestNumber, value, std::chars_format::fixed).ptr;
  }
  return writeShortest(out, value);
}

void appendDouble(std::string& out, double value) {
  char text[kLongestNumber];
  out.append(text, static_cast<std::size_t>(writeDouble(text, value) - text));
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
