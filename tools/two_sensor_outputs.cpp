#include "tools/two_sensor_outputs.h"

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <limits>
#include <ostream>

#include "datafiles/number_format.h"
#include "datafiles/text_file.h"
#include "tools/option_values.h"
#include "tools/unit_columns.h"

namespace tools {
namespace {

// One row: the line number, then the numbers (a NaN leaves its field empty).
void appendRow(std::string& out, std::size_t line, std::initializer_list<double> values) {
  out += std::to_string(line);
  for (double v : values) {
    out += ',';
    datafiles::appendDouble(out, v);
  }
  out += '\n';
}

// "line,freq" (with the period axis "line,freq,period") of one row.
void appendLineAndFrequency(std::string& out, std::size_t line, double f,
                            const analysis::SpectralUnits& units) {
  out += std::to_string(line);
  out += ',';
  appendFrequency(out, f, units);
}

// The row's remaining numbers, then its end.
void appendRow(std::string& out, std::initializer_list<double> values) {
  for (double v : values) {
    out += ',';
    datafiles::appendDouble(out, v);
  }
  out += '\n';
}

double estimateOrNothing(double value) {
  return analysis::isSelfNoiseEstimate(value) ? value : std::numeric_limits<double>::quiet_NaN();
}

bool writeTable(const std::string& path, const std::string& text, std::ostream& err) {
  if (auto failure = datafiles::writeFileAtomically(path, text)) {
    err << "psd-analyze: " << path << ": " << *failure << '\n';
    return false;
  }
  return true;
}

}  // namespace

void addTwoSensorOptions(CLI::App& app, TwoSensorOutputs& o) {
  const char* group = "two sensors";
  const char* records =
      "; over the averaged measurement records with --average, else of the last FILE";
  app.add_option("--relative-csv", o.relativeCsv,
                 std::string("write line,freq,psd_rel,rms_rel,ratio for lines 1 .. N/2: the PSD "
                             "of channel 1 minus channel 2, its rms above each line and its "
                             "ratio to the channels' mean PSD") +
                     records)
      ->type_name("PATH")
      ->check(nonEmptyPath)
      ->group(group);
  CLI::Option* transferCsv =
      app.add_option("--transfer-csv", o.transferCsv,
                     std::string("write line,freq,h_abs,h_phase_deg,msc,level95 for lines 1 .. "
                                 "N/2: the transfer function (H1), its phase in degrees, the "
                                 "coherence and its 95 % chance level") +
                         records)
          ->type_name("PATH")
          ->check(nonEmptyPath)
          ->group(group);
  app.add_option_function<std::string>(
         "--transfer",
         [&o](const std::string& which) {
           o.direction = which == "2to1" ? analysis::TransferDirection::TwoToOne
                                         : analysis::TransferDirection::OneToTwo;
         },
         "direction of the transfer function: channel 1 to 2 or 2 to 1 (default 1to2; needs "
         "--transfer-csv)")
      ->check(CLI::IsMember({"1to2", "2to1"}).description(""))
      ->type_name("1to2|2to1")
      ->needs(transferCsv)
      ->group(group);
  app.add_option("--self-noise-csv", o.selfNoiseCsv,
                 "write line,freq,n1,n2 for lines 1 .. N/2: the self-noise PSD of each sensor "
                 "by the two-sensor method (needs --average over at least two measurement files)")
      ->type_name("PATH")
      ->check(nonEmptyPath)
      ->group(group);
}

std::string relativeMotionCsv(const analysis::AnalysisState&, const analysis::RelativeMotion& m,
                              const analysis::SpectralUnits& units) {
  std::string out = "line," + frequencyColumns("freq", units) + spectralColumn("psd_rel", units) +
                    rmsColumn("rms_rel", units) + ",ratio\n";
  for (std::size_t q = 1; q <= m.lastLine; ++q) {
    const double f = (*m.freq)[q];
    if (!hasRow(f, units)) continue;
    appendLineAndFrequency(out, q, f, units);
    appendSpectral(out, m.psdRel[q], f, units);
    appendRow(out, {m.rmsCutRel[q], m.ratio[q]});
  }
  return out;
}

std::string transferFunctionCsv(const analysis::AnalysisState&,
                                const analysis::TransferFunction& t) {
  std::string out = "line,freq,h_abs,h_phase_deg,msc,level95\n";
  for (std::size_t q = 1; q <= t.lastLine; ++q) {
    appendRow(out, q, {(*t.freq)[q], t.magnitude[q], t.phaseDegrees[q], t.msc[q], t.level95});
  }
  return out;
}

std::string selfNoiseCsv(const analysis::AnalysisState&, const analysis::SelfNoise& n,
                         const analysis::SpectralUnits& units) {
  std::string out = "line," + frequencyColumns("freq", units) + spectralColumn("n1", units) +
                    spectralColumn("n2", units) + "\n";
  for (std::size_t q = 1; q <= n.lastLine; ++q) {
    const double f = (*n.freq)[q];
    if (!hasRow(f, units)) continue;
    appendLineAndFrequency(out, q, f, units);
    appendSpectral(out, estimateOrNothing(n.n1[q]), f, units);
    appendSpectral(out, estimateOrNothing(n.n2[q]), f, units);
    out += '\n';
  }
  return out;
}

bool writeTwoSensorOutputs(const analysis::AnalysisState& state, analysis::PairSource source,
                           double recordSeconds, const TwoSensorOutputs& o, std::ostream& err,
                           const analysis::SpectralUnits& units) {
  const std::int32_t records = analysis::pairRecordCount(state, source);
  const bool averaged = source == analysis::PairSource::RunningAverage;
  const auto refuse = [&err](const std::string& path, const std::string& why) {
    err << "psd-analyze: " << path << ": not written: " << why << '\n';
    return false;
  };
  const std::string noRecord = averaged ? "the average pools no measurement record"
                                        : "the last file is an average file, without Fourier "
                                          "coefficients";
  bool ok = true;
  if (!o.relativeCsv.empty()) {
    if (records < 1) {
      ok = refuse(o.relativeCsv, noRecord);
    } else {
      analysis::RelativeMotion motion;
      analysis::computeRelativeMotion(state, source, recordSeconds, motion);
      ok &= writeTable(o.relativeCsv, relativeMotionCsv(state, motion, units), err);
    }
  }
  if (!o.transferCsv.empty()) {
    if (records < 1) {
      ok = refuse(o.transferCsv, noRecord);
    } else {
      analysis::TransferFunction transfer;
      analysis::computeTransferFunction(state, source, o.direction, transfer);
      ok &= writeTable(o.transferCsv, transferFunctionCsv(state, transfer), err);
    }
  }
  if (!o.selfNoiseCsv.empty()) {
    if (records < analysis::kSelfNoiseLeastRecords) {
      ok = refuse(
          o.selfNoiseCsv,
          "the self-noise needs at least two measurement records, n = " + std::to_string(records) +
              (averaged ? "" : " (without --average only the last file is taken)"));
    } else {
      analysis::SelfNoise noise;
      analysis::computeSelfNoise(state, source, recordSeconds, noise);
      ok &= writeTable(o.selfNoiseCsv, selfNoiseCsv(state, noise, units), err);
    }
  }
  return ok;
}

}  // namespace tools
