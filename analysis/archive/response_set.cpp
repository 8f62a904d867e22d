#include "analysis/archive/response_set.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "analysis/archive/sac_pole_zero.h"

namespace analysis::archive {
namespace {

std::optional<std::string> contentOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::optional<std::string> ResponseSet::addResponse(std::string_view argument,
                                                    std::vector<std::string>& notes) {
  const std::size_t equals = argument.find('=');
  if (equals != std::string_view::npos) {
    const auto id = parseSeedId(argument.substr(0, equals));
    if (id) {
      const std::string path(argument.substr(equals + 1));
      const auto text = contentOf(path);
      if (!text) return path + ": cannot be opened";
      SacPoleZeroResult pz = parseSacPoleZero(*text, path);
      if (!pz.response) return pz.problem;
      contents_.push_back(*text);
      epochs_.push_back({*id, INT64_MIN, kOpenEnd, std::move(*pz.response)});
      return std::nullopt;
    }
  }
  const std::string path(argument);
  const auto text = contentOf(path);
  if (!text) return path + ": cannot be opened";
  StationXmlResult xml = parseStationXml(*text, path);
  if (xml.refused) return xml.problems.front();
  contents_.push_back(*text);
  notes.insert(notes.end(), xml.problems.begin(), xml.problems.end());
  for (ResponseEpoch& epoch : xml.epochs) epochs_.push_back(std::move(epoch));
  return std::nullopt;
}

std::optional<std::string> ResponseSet::addSensitivity(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  const auto id = parseSeedId(argument.substr(0, equals));
  if (equals == std::string_view::npos || !id) {
    return "'" + std::string(argument) + "' is not ID=COUNTS_PER_M_PER_S";
  }
  const std::string number(argument.substr(equals + 1));
  char* end = nullptr;
  const double s = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !(s > 0) || !std::isfinite(s)) {
    return "'" + std::string(argument) + "': the sensitivity is no positive number";
  }
  epochs_.push_back({*id,
                     INT64_MIN,
                     kOpenEnd,
                     {.sensitivity = s,
                      .input = InputUnit::Velocity,
                      .source = "--sensitivity " + std::string(argument)}});
  contents_.push_back(std::string(argument));
  return std::nullopt;
}

const ResponseEpoch* ResponseSet::find(const SeedId& id, MicroTime t) const {
  for (const ResponseEpoch& epoch : epochs_) {
    if (epoch.id == id && epoch.start <= t && t < epoch.end) return &epoch;
  }
  return nullptr;
}

bool ResponseSet::covers(const SeedId& id) const {
  for (const ResponseEpoch& epoch : epochs_) {
    if (epoch.id == id) return true;
  }
  return false;
}

}  // namespace analysis::archive
