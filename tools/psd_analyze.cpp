// psd-analyze: the viewer's per-file analysis from the command line, for scripting and checking.
//
//   psd-analyze [OPTIONS] FILE...        (psd-analyze --help lists the options)
//
// Each FILE is analysed as if it were selected in the viewer's file list, in the order given.
// With --average the first file is selected, the average is restarted with it (as ticking
// "with averaging" does), and the other files are selected with averaging on.
// --back-transform then transforms the band FLOW < f < FHIGH of the last file back into
// displacement (or, with --velocity, velocity) traces, writes them as the viewer's
// back-transformation file to the --bt-csv PATH and prints the result plot's title.
// --relative-csv, --transfer-csv and --self-noise-csv write the two sensors' tables, of the
// average with --average, else of the last file (tools/two_sensor_outputs.h).
// --units, --asd, --db and --period choose the units of the spectral tables (tools/unit_options.h).
// With --campaign PREFIX the FILEs are taken together instead (tools/analyze_campaign.h).
// With --mseed or --sds the records are segments of a station archive instead of FILEs
// (tools/analyze_archive.h).
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/transform/back_transformation.h"
#include "analysis/two_sensor/pooled_coherence.h"
#include "datafiles/average_file.h"
#include "datafiles/back_transformation_file.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"
#include "tools/analyze_archive.h"
#include "tools/analyze_campaign.h"
#include "tools/analyze_command_line.h"
#include "tools/pooled_coherence_output.h"
#include "tools/reference_curve_outputs.h"
#include "tools/two_sensor_outputs.h"
#include "tools/unit_columns.h"

namespace {

namespace fs = std::filesystem;

const char* kindName(analysis::FileKind kind) {
  switch (kind) {
    case analysis::FileKind::Measurement:
      return "measurement";
    case analysis::FileKind::AverageFile:
      return "average file";
    case analysis::FileKind::NoMeasurement:
      return "not a measurement, not read";
    case analysis::FileKind::Refused:
      return "refused";
  }
  return "";
}

// As recorded the columns line,freq,psd1,psd2,coh,rmsCut1,rmsCut2; in other units the
// frequency and spectral columns follow tools/unit_columns.h.
std::string spectrumCsv(const analysis::AnalysisState& s, const analysis::SpectralUnits& units) {
  std::string out = "line," + tools::frequencyColumns("freq", units) +
                    tools::spectralColumn("psd1", units) + tools::spectralColumn("psd2", units) +
                    ",coh" + tools::rmsColumn("rmsCut1", units) +
                    tools::rmsColumn("rmsCut2", units) + "\r\n";
  const std::size_t h = static_cast<std::size_t>(s.nSamples / 2);
  for (std::size_t q = 0; q <= h; ++q) {
    const double f = s.freq[q];
    if (!tools::hasRow(f, units)) continue;
    out += std::to_string(q);
    out += ',';
    tools::appendFrequency(out, f, units);
    tools::appendSpectral(out, s.psd1[q], f, units);
    tools::appendSpectral(out, s.psd2[q], f, units);
    for (double v : {s.coh[q], s.rmsCut1[q], s.rmsCut2[q]}) {
      out += ',';
      datafiles::appendDouble(out, v);
    }
    out += "\r\n";
  }
  return out;
}

std::string rawCsv(const analysis::AnalysisState& s) {
  std::string out = "sample,rawTime,raw1,raw2\r\n";
  const std::size_t last = static_cast<std::size_t>(s.nSamples);
  for (std::size_t r = 1; r <= last && r <= analysis::kLastSample; ++r) {
    out += std::to_string(r);
    out += ',';
    datafiles::appendFloat(out, r <= analysis::kLastRawTime
                                    ? s.rawTime[r]
                                    : analysis::rawTimeOf(r, s.nSamples, s.nameStemLength));
    out += ',';
    datafiles::appendDouble(out, s.raw1[r]);
    out += ',';
    datafiles::appendDouble(out, s.raw2[r]);
    out += "\r\n";
  }
  return out;
}

bool writeOrComplain(const std::string& path, const std::string& text) {
  if (auto failure = datafiles::writeFileAtomically(path, text)) {
    std::cerr << "psd-analyze: " << path << ": " << *failure << '\n';
    return false;
  }
  return true;
}

int writeOutputs(const tools::AnalyzeOptions& o, analysis::AnalysisState& state,
                 analysis::FileKind lastKind, double recordSeconds, const std::string& lastName,
                 const std::string* rawText);

int run(const tools::AnalyzeOptions& o) {
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  analysis::RunSettings settings = o.settings;
  analysis::FileKind lastKind = analysis::FileKind::NoMeasurement;
  double recordSeconds = analysis::kDefaultRecordSeconds;  // of the last file analysed
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    const fs::path& file = o.files[i];
    const std::string name = file.filename().string();
    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    settings.averaging = o.average && i > 0;
    const analysis::RunResult result = fileAnalysis.analyzeFile(state, dir, name, settings);
    if (result.kind == analysis::FileKind::Refused) {
      std::cerr << "psd-analyze: " << result.message << '\n';
      return 1;
    }
    if (o.average && i == 0) analysis::restartAverage(state);
    lastKind = result.kind;
    if (result.kind != analysis::FileKind::NoMeasurement) recordSeconds = result.recordSeconds;
    std::cerr << name << ": " << kindName(result.kind) << ", nSamples " << state.nSamples
              << ", nPlot " << state.nPlot << ", k " << state.kCount << ", kv " << state.kvCount
              << '\n';
    if (!result.notAveraged.empty()) std::cerr << "psd-analyze: " << result.notAveraged << '\n';
    // The first file starts the average: left out of the two-sensor sums as the others are.
    const bool startsWithOneChannel =
        o.average && i == 0 && state.recordHasCoefficients && !state.recordHasTwoChannels;
    const std::string notPaired =
        startsWithOneChannel ? analysis::leftOutOfPairSums(name) : result.notPaired;
    if (!notPaired.empty()) std::cerr << "psd-analyze: " << notPaired << '\n';
    if (!o.rawCsv.empty() && result.kind != analysis::FileKind::NoMeasurement) {
      const analysis::RawResult raw = fileAnalysis.readRawData(state, dir, name, settings);
      if (!raw.ok) {
        std::cerr << "psd-analyze: " << raw.message << '\n';
        if (i + 1 == o.files.size()) return 1;  // the raw data written is the last file's
      }
    }
  }
  return writeOutputs(o, state, lastKind, recordSeconds, o.files.back().filename().string(),
                      nullptr);
}

// The outputs of the records analysed, the last named `lastName`; `rawText`, when given, is
// what --raw-csv writes instead of the state's raw traces.
int writeOutputs(const tools::AnalyzeOptions& o, analysis::AnalysisState& state,
                 analysis::FileKind lastKind, double recordSeconds, const std::string& lastName,
                 const std::string* rawText) {
  if (!o.saveAverage.empty()) {
    const std::string& current = lastName;
    const auto contents = analysis::averageFileContents(state, o.firstName, current);
    if (!writeOrComplain(o.saveAverage, datafiles::formatAverageFile(contents))) return 1;
  }
  if (o.backTransform) {
    if (lastKind != analysis::FileKind::Measurement) {
      std::cerr << "psd-analyze: " << lastName
                << ": only a measurement file can be back-transformed\n";
      return 1;
    }
    analysis::InverseTransform transform;
    const analysis::TraceMeasures measures = analysis::backTransform(state, transform, o.band);
    if (!measures.refusal.empty()) {
      std::cerr << "psd-analyze: " << lastName << ": " << measures.refusal << "; nothing written\n";
      return 1;
    }
    if (auto failure = datafiles::writeBackTransformationFile(
            o.backTransformCsv, state.backTrans1.span(), state.backTrans2.span(),
            static_cast<std::size_t>(state.nSamples))) {
      std::cerr << "psd-analyze: " << o.backTransformCsv << ": " << *failure << '\n';
      return 1;
    }
    std::cout << analysis::backTransformTitle(o.band.displacement, measures) << '\n';
  }
  if (!o.csv.empty() && !writeOrComplain(o.csv, spectrumCsv(state, o.units))) return 1;
  if (!o.rawCsv.empty() && !writeOrComplain(o.rawCsv, rawText ? *rawText : rawCsv(state))) {
    return 1;
  }
  if (!o.mscCsv.empty() && !tools::writePooledCoherenceCsv(o.mscCsv, state, std::cerr)) return 1;
  if (!tools::writeReferenceCurveOutputs(state, o.referenceCurves, std::cout, std::cerr, o.units))
    return 1;
  const auto pairs =
      o.average ? analysis::PairSource::RunningAverage : analysis::PairSource::RecordShown;
  if (!tools::writeTwoSensorOutputs(state, pairs, recordSeconds, o.twoSensor, std::cerr, o.units))
    return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  tools::AnalyzeOptions options;
  if (auto status = tools::parseCommandLine(argc, argv, options, std::cout, std::cerr)) {
    return *status;
  }
  if (options.archive.active()) {
    if (!options.campaign.prefix.empty()) {
      return tools::runArchiveCampaign(options.campaign, options.archive, std::cerr);
    }
    return tools::runArchiveRecords(options, writeOutputs, std::cerr);
  }
  if (!options.campaign.prefix.empty())
    return tools::runCampaign(options.campaign, options.files, std::cerr);
  return run(options);
}
