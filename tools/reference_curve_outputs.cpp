#include "tools/reference_curve_outputs.h"

#include <ostream>

#include "analysis/standards/criteria_verdict.h"
#include "analysis/standards/noise_models.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"
#include "tools/unit_columns.h"

namespace tools {
namespace {

void appendRecord(std::string& out, std::initializer_list<double> values) {
  bool first = true;
  for (double v : values) {
    if (!first) out += ',';
    datafiles::appendDouble(out, v);
    first = false;
  }
  out += datafiles::kRecordEnd;
}

bool write(const std::string& path, const std::string& text, std::ostream& err) {
  if (auto failure = datafiles::writeFileAtomically(path, text)) {
    err << "psd-analyze: " << path << ": " << *failure << '\n';
    return false;
  }
  return true;
}

}  // namespace

std::string noiseModelsCsv(const analysis::AnalysisState& state,
                           const analysis::SpectralUnits& units) {
  std::string out = frequencyColumns("f", units);
  out += spectralColumn("nlnm", units) + spectralColumn("nhnm", units);
  out += datafiles::kRecordEnd;
  for (std::int32_t q = 1; q < state.nPlot; ++q) {
    const double f = state.freq[static_cast<std::size_t>(q)];
    const auto low = analysis::noiseModelPsd(analysis::NoiseModel::Low, f);
    const auto high = analysis::noiseModelPsd(analysis::NoiseModel::High, f);
    if (!low || !high) continue;
    appendFrequency(out, f, units);
    appendSpectral(out, *low, f, units);
    appendSpectral(out, *high, f, units);
    out += datafiles::kRecordEnd;
  }
  return out;
}

std::string thirdOctaveCsv(const analysis::ShownBandVelocities& shown) {
  std::string out = "f_centre,f_low,f_high,v1,v2";
  out += datafiles::kRecordEnd;
  // Both channels share the frequency axis and so the bands.
  for (std::size_t i = 0; i < shown.channel1.bands.size(); ++i) {
    const analysis::ThirdOctaveBand& band = shown.channel1.bands[i];
    appendRecord(out,
                 {band.centre, band.low, band.high, shown.channel1.rms[i], shown.channel2.rms[i]});
  }
  return out;
}

std::string criteriaVerdictLine(const analysis::ShownBandVelocities& shown) {
  const auto criteria = analysis::vibrationCriteria();
  return analysis::verdictLine(analysis::judgeChannel(shown.channel1, criteria),
                               analysis::judgeChannel(shown.channel2, criteria));
}

bool writeReferenceCurveOutputs(const analysis::AnalysisState& state,
                                const ReferenceCurveOutputs& outputs, std::ostream& out,
                                std::ostream& err, const analysis::SpectralUnits& units) {
  if (!outputs.noiseModelsCsv.empty() &&
      !write(outputs.noiseModelsCsv, noiseModelsCsv(state, units), err)) {
    return false;
  }
  if (!outputs.thirdOctaveCsv.empty()) {
    const analysis::ShownBandVelocities bands = analysis::shownBandVelocities(state);
    if (!write(outputs.thirdOctaveCsv, thirdOctaveCsv(bands), err)) return false;
    out << criteriaVerdictLine(bands) << '\n';
  }
  return true;
}

}  // namespace tools
