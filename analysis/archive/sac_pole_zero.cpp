#include "analysis/archive/sac_pole_zero.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

namespace analysis::archive {
namespace {

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The text after "* KEY :" of a comment line, or nothing when the line is no such comment.
std::optional<std::string> commentValue(const std::string& line, std::string_view key) {
  const std::string u = upper(line);
  const std::size_t at = u.find(key);
  const std::size_t colon = u.find(':');
  if (at == std::string::npos || colon == std::string::npos || colon < at) return std::nullopt;
  std::string value = line.substr(colon + 1);
  const std::size_t first = value.find_first_not_of(" \t");
  const std::size_t last = value.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

}  // namespace

SacPoleZeroResult parseSacPoleZero(std::string_view text, const std::string& fileName) {
  SacPoleZeroResult result;
  const auto fail = [&](std::size_t lineNumber, const std::string& what) {
    result.problem = fileName + ": line " + std::to_string(lineNumber) + ": " + what;
    return result;
  };
  PolesZeros pz;
  std::optional<double> constant, sensitivity;
  InputUnit input = InputUnit::Velocity;
  std::vector<std::complex<double>>* filling = nullptr;
  std::size_t declared = 0, zeroCount = 0;
  std::istringstream in{std::string(text)};
  std::string line;
  std::size_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::istringstream fields(line);
    std::string word;
    if (!(fields >> word)) continue;
    if (word[0] == '*') {
      if (auto unit = commentValue(line, "INPUT UNIT")) {
        const auto named = inputUnitNamed(unit->substr(0, unit->find_first_of(" \t(")));
        if (!named) return fail(lineNumber, "input unit '" + *unit + "' is not M, M/S or M/S**2");
        input = *named;
      } else if (auto value = commentValue(line, "SENSITIVITY")) {
        double s = 0;
        if (std::istringstream(*value) >> s) sensitivity = s;
      }
      continue;
    }
    const std::string key = upper(word);
    if (key == "ZEROS" || key == "POLES") {
      long count = -1;
      if (!(fields >> count) || count < 0 || count > 1000) {
        return fail(lineNumber, key + " needs a count from 0 to 1000");
      }
      filling = key == "ZEROS" ? &pz.zeros : &pz.poles;
      filling->clear();
      declared = static_cast<std::size_t>(count);
      if (key == "ZEROS") zeroCount = declared;
      continue;
    }
    if (key == "CONSTANT") {
      double c = 0;
      if (!(fields >> c) || !std::isfinite(c) || c == 0) {
        return fail(lineNumber, "CONSTANT needs a finite number other than 0");
      }
      constant = c;
      filling = nullptr;
      continue;
    }
    double re = 0, im = 0;
    std::istringstream pair(line);
    if (!filling || !(pair >> re >> im) || !std::isfinite(re) || !std::isfinite(im)) {
      return fail(lineNumber, "'" + line + "' is neither a keyword nor a pole or zero");
    }
    if (filling->size() == declared) return fail(lineNumber, "more values than the count");
    filling->emplace_back(re, im);
  }
  if (!constant) return fail(lineNumber, "no CONSTANT");
  if (pz.poles.empty() && pz.zeros.empty() && zeroCount == 0) {
    return fail(lineNumber, "no POLES and no ZEROS");
  }
  pz.zeros.resize(zeroCount, {0, 0});  // zeros not listed lie at the origin
  if (input == InputUnit::Displacement) {
    for (auto it = pz.zeros.begin(); it != pz.zeros.end(); ++it) {
      if (*it == std::complex<double>(0, 0)) {
        pz.zeros.erase(it);
        input = InputUnit::Velocity;
        break;
      }
    }
  }
  InstrumentResponse response{.sensitivity = 1, .input = input, .stage = pz, .source = fileName};
  response.stage->a0 = *constant;
  const double s = sensitivity ? *sensitivity : std::abs(response.inputResponse(1.0));
  if (!(s > 0) || !std::isfinite(s)) return fail(lineNumber, "the sensitivity is not positive");
  response.sensitivity = s;
  response.stage->a0 = *constant / s;
  result.response = std::move(response);
  return result;
}

SacPoleZeroResult readSacPoleZeroFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, path.string() + ": cannot be opened"};
  std::ostringstream text;
  text << in.rdbuf();
  return parseSacPoleZero(text.str(), path.string());
}

}  // namespace analysis::archive
