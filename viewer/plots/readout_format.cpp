#include "viewer/plots/readout_format.h"

#include <charconv>
#include <cmath>
#include <string>

#include "analysis/record/psd_estimator.h"
#include "analysis/record/record_length.h"
#include "analysis/record/rounding.h"

namespace viewer {

namespace {

// Rounds the decimal digits of `digits` (no sign, one '.') to `decimals` places, halves away
// from zero, as on paper: the value's shortest decimal form is rounded, not its binary value,
// so 12.345 gives 12.35.
std::string roundDigits(std::string digits, int decimals) {
  const std::size_t point = digits.find('.');
  if (point == std::string::npos) digits += '.';
  const std::size_t dot = digits.find('.');
  digits.append(static_cast<std::size_t>(decimals + 1), '0');
  const bool up = digits[dot + static_cast<std::size_t>(decimals) + 1] >= '5';
  digits.resize(dot + static_cast<std::size_t>(decimals) + 1);
  if (decimals == 0) digits.pop_back();
  if (up) {
    std::size_t i = digits.size();
    while (i-- > 0) {
      if (digits[i] == '.') continue;
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
      if (i == 0) digits = "1" + digits;
    }
  }
  return digits;
}

std::string shortestFixed(double magnitude) {
  char buffer[512];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed);
  return std::string(buffer, r.ptr);
}

}  // namespace

QString fixedPattern(double value, int decimals) {
  if (!std::isfinite(value)) return QString::number(value);
  std::string text = roundDigits(shortestFixed(std::fabs(value)), decimals);
  if (std::signbit(value) && text.find_first_not_of("0.") != std::string::npos) text = "-" + text;
  return QString::fromStdString(text);
}

QString scientificPattern(double value) {
  if (!std::isfinite(value)) return QString::number(value);
  if (value == 0) return QStringLiteral("0.00E0");
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                               std::chars_format::scientific);  // "1.234e-05"
  const std::string shortest(buffer, r.ptr);
  const std::size_t e = shortest.find('e');
  int exponent = std::stoi(shortest.substr(e + 1));
  std::string mantissa = roundDigits(shortest.substr(0, e), 2);
  if (mantissa.size() > 4) {  // rounded up to 10.00
    mantissa = "1.00";
    ++exponent;
  }
  return QString::fromStdString((value < 0 ? "-" : "") + mantissa + "E" + std::to_string(exponent));
}

QString optionalDigitsPattern(double value) {
  QString text = fixedPattern(value, 2);
  while (text.endsWith('0')) text.chop(1);  // "3.00" -> "3.", "0.50" -> "0.5"
  if (text.startsWith("0.")) text.remove(0, 1);
  if (text.startsWith("-0.")) text.remove(1, 1);
  return text;
}

namespace {

// Round half to even of T x f, capped at nSamples / 2 and at 0.
std::int32_t lineOfRecord(double f, std::int32_t nSamples, double seconds) {
  double line = analysis::roundHalfEven(seconds * f);
  if (line > nSamples / 2.0) line = nSamples / 2;
  if (!(line >= 0)) line = 0;  // a cursor left of 0 Hz reads the first line
  return static_cast<std::int32_t>(line);
}

}  // namespace

std::int32_t lineAtFrequency(double f, std::int32_t nSamples, std::int32_t nameStemLength) {
  double seconds = analysis::kDefaultRecordSeconds;
  if (nameStemLength == 10) seconds = analysis::kShortRecordSeconds;
  if (nSamples > analysis::kLongRecordThreshold) seconds = analysis::kLongRecordSeconds;
  return lineOfRecord(f, nSamples, seconds);
}

std::int32_t lineAtFrequency(double f, const analysis::AnalysisState& state) {
  return lineOfRecord(f, state.nSamples, analysis::shownRecordSeconds(state));
}

}  // namespace viewer
