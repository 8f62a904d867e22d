#include "analysis/archive/stationxml_response.h"

#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <variant>

namespace analysis::archive {
namespace {

std::optional<double> numberIn(const pugi::xml_node& node) {
  const char* text = node.child_value();
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || !std::isfinite(value)) return std::nullopt;
  while (*end == ' ' || *end == '\n' || *end == '\r' || *end == '\t') ++end;
  if (*end != '\0') return std::nullopt;
  return value;
}

std::vector<std::complex<double>> rootsOf(const pugi::xml_node& pz, const char* name, bool& sound) {
  std::vector<std::complex<double>> roots;
  for (pugi::xml_node root : pz.children(name)) {
    const auto re = numberIn(root.child("Real")), im = numberIn(root.child("Imaginary"));
    if (!re || !im) sound = false;
    roots.emplace_back(re.value_or(0), im.value_or(0));
  }
  return roots;
}

std::string trimmedValue(const char* text) {
  std::string value(text);
  const std::size_t first = value.find_first_not_of(" \t\r\n");
  const std::size_t last = value.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

// The response of one channel epoch, or the problem.
std::variant<InstrumentResponse, std::string> responseOf(const pugi::xml_node& response,
                                                         const std::string& fileName,
                                                         std::vector<std::string>& problems,
                                                         const std::string& where) {
  const pugi::xml_node sensitivity = response.child("InstrumentSensitivity");
  if (!sensitivity) return std::string("no InstrumentSensitivity");
  const auto s = numberIn(sensitivity.child("Value"));
  if (!s || !(*s > 0)) return std::string("the sensitivity is no positive number");
  const std::string unitName =
      trimmedValue(sensitivity.child("InputUnits").child("Name").child_value());
  const auto unit = inputUnitNamed(unitName);
  if (!unit) return "input unit '" + unitName + "' is not M, M/S or M/S**2";
  InstrumentResponse out{.sensitivity = *s, .input = *unit, .source = fileName};
  double gains = 1;
  bool anyGain = false;
  for (pugi::xml_node stage : response.children("Stage")) {
    if (const pugi::xml_node gain = stage.child("StageGain")) {
      const auto value = numberIn(gain.child("Value"));
      if (!value) return std::string("a StageGain without a number");
      gains *= *value;
      anyGain = true;
    }
    const pugi::xml_node pz = stage.child("PolesZeros");
    if (!pz || out.stage) continue;
    const std::string type = trimmedValue(pz.child("PzTransferFunctionType").child_value());
    if (type != "LAPLACE (RADIANS/SECOND)" && type != "LAPLACE (HERTZ)") {
      return "transfer function type '" + type + "' is not LAPLACE (RADIANS/SECOND) or HERTZ";
    }
    const auto a0 = numberIn(pz.child("NormalizationFactor"));
    if (!a0 || *a0 == 0) return std::string("no NormalizationFactor");
    bool sound = true;
    PolesZeros stagePz{.zeros = rootsOf(pz, "Zero", sound),
                       .poles = rootsOf(pz, "Pole", sound),
                       .a0 = *a0,
                       .hertz = type == "LAPLACE (HERTZ)"};
    if (!sound) return std::string("a pole or zero without Real and Imaginary numbers");
    out.stage = std::move(stagePz);
  }
  if (anyGain && std::fabs(gains / *s - 1) > 0.01) {
    std::ostringstream what;
    what << fileName << ": " << where << ": the stage gains multiply to " << gains
         << ", the sensitivity is " << *s << " (more than 1 % apart; the sensitivity is used)";
    problems.push_back(what.str());
  }
  return out;
}

}  // namespace

StationXmlResult parseStationXml(const std::string& text, const std::string& fileName) {
  StationXmlResult result;
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
  const pugi::xml_node root = document.child("FDSNStationXML");
  if (!parsed || !root) {
    result.problems.push_back(fileName + ": no StationXML" +
                              (parsed ? std::string(" (no FDSNStationXML element)")
                                      : " (" + std::string(parsed.description()) + " at byte " +
                                            std::to_string(parsed.offset) + ")"));
    result.refused = true;
    return result;
  }
  for (pugi::xml_node network : root.children("Network")) {
    for (pugi::xml_node station : network.children("Station")) {
      for (pugi::xml_node channel : station.children("Channel")) {
        ResponseEpoch epoch;
        epoch.id = {network.attribute("code").value(), station.attribute("code").value(),
                    channel.attribute("locationCode").value(), channel.attribute("code").value()};
        const std::string where = epoch.id.text();
        const char* startText = channel.attribute("startDate").value();
        const char* endText = channel.attribute("endDate").value();
        const auto start = parseIsoUtc(startText);
        const auto end = *endText ? parseIsoUtc(endText) : std::optional<MicroTime>(kOpenEnd);
        if ((*startText && !start) || !end) {
          result.problems.push_back(fileName + ": " + where + ": a date that is no ISO time");
          continue;
        }
        if (start) epoch.start = *start;
        epoch.end = *end;
        auto response = responseOf(channel.child("Response"), fileName, result.problems, where);
        if (auto* problem = std::get_if<std::string>(&response)) {
          result.problems.push_back(fileName + ": " + where + ": " + *problem);
          continue;
        }
        epoch.response = std::get<InstrumentResponse>(std::move(response));
        result.epochs.push_back(std::move(epoch));
      }
    }
  }
  return result;
}

StationXmlResult readStationXml(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {{}, {path.string() + ": cannot be opened"}, true};
  std::ostringstream text;
  text << in.rdbuf();
  return parseStationXml(text.str(), path.string());
}

}  // namespace analysis::archive
