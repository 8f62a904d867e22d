#include "datafiles/leading_value.h"

#include <cctype>
#include <string>

#include <fast_float/fast_float.h>

namespace datafiles {

double leadingValue(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact += c;
  }
  // Longest prefix of the form [+-]digits[.digits][(E|e)[+-]digits].
  std::size_t i = 0;
  const auto isDigit = [&](std::size_t k) {
    return k < compact.size() && std::isdigit(static_cast<unsigned char>(compact[k]));
  };
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) ++i;
  const std::size_t digitsStart = i;
  while (isDigit(i)) ++i;
  std::size_t mantissaDigits = i - digitsStart;
  if (i < compact.size() && compact[i] == '.') {
    const std::size_t fractionStart = ++i;
    while (isDigit(i)) ++i;
    mantissaDigits += i - fractionStart;
  }
  if (mantissaDigits == 0) return 0.0;
  std::size_t end = i;
  if (i < compact.size() && (compact[i] == 'E' || compact[i] == 'e')) {
    std::size_t k = i + 1;
    if (k < compact.size() && (compact[k] == '+' || compact[k] == '-')) ++k;
    if (isDigit(k)) {
      while (isDigit(k)) ++k;
      end = k;
    }
  }
  std::size_t first = 0;
  if (compact[0] == '+') first = 1;
  double value = 0.0;
  fast_float::from_chars(compact.data() + first, compact.data() + end, value);
  return value;
}

}  // namespace datafiles
