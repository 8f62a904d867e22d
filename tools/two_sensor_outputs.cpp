#include "tools/two_sensor_outputs.h"

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <limits>
#include <ostream>

#include "datafiles/number_format.h"
#include "datafiles/text_file.h"
#include "tools/option_values.h"

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

std::string relativeMotionCsv(const analysis::AnalysisState&, const analysis::RelativeMotion& m) {
  std::string out = "line,freq,psd_rel,rms_rel,ratio\n";
  for (std::size_t q = 1; q <= m.lastLine; ++q) {
    appendRow(out, q, {(*m.freq)[q], m.psdRel[q], m.rmsCutRel[q], m.ratio[q]});
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

std::string selfNoiseCsv(const analysis::AnalysisState&, const analysis::SelfNoise& n) {
  std::string out = "line,freq,n1,n2\n";
  for (std::size_t q = 1; q <= n.lastLine; ++q) {
    appendRow(out, q, {(*n.freq)[q], estimateOrNothing(n.n1[q]), estimateOrNothing(n.n2[q])});
  }
  return out;
}

bool writeTwoSensorOutputs(const analysis::AnalysisState& state, analysis::PairSource source,
                           double recordSeconds, const TwoSensorOutputs& o, std::ostream& err) {
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
      ok &= writeTable(o.relativeCsv, relativeMotionCsv(state, motion), err);
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
      ok &= writeTable(o.selfNoiseCsv, selfNoiseCsv(state, noise), err);
    }
  }
  return ok;
}

}  // namespace tools
