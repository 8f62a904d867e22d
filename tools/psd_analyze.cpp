// psd-analyze: the viewer's per-file analysis from the command line, for scripting and checking.
//
//   psd-analyze [--average] [--coherence real|imag|abs] [--cal1] [--cal2] [--no-dc-offset]
//               [--save-average PATH] [--first-name NAME] [--csv PATH] [--raw-csv PATH]
//               [--back-transform FLOW FHIGH [--velocity] --bt-csv PATH] FILE...
//
// Each FILE is analysed as if it were selected in the viewer's file list, in the order given.
// With --average the first file is selected, the average is restarted with it (as ticking
// "with averaging" does), and the other files are selected with averaging on.
// --back-transform then transforms the band FLOW < f < FHIGH of the last file back into
// displacement (or, with --velocity, velocity) traces, writes them as the viewer's
// back-transformation file to the --bt-csv PATH and prints the result plot's title.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/averaging.h"
#include "analysis/back_transformation.h"
#include "analysis/file_analysis.h"
#include "datafiles/average_file.h"
#include "datafiles/back_transformation_file.h"
#include "datafiles/leading_value.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  bool average = false;
  analysis::RunSettings settings;
  std::string saveAverage, firstName, csv, rawCsv, backTransformCsv;
  bool backTransform = false;
  analysis::Band band;
  std::vector<fs::path> files;
};

constexpr const char* kUsage =
    "usage: psd-analyze [--average] [--coherence real|imag|abs] [--cal1] [--cal2] "
    "[--no-dc-offset]\n"
    "                   [--save-average PATH] [--first-name NAME] [--csv PATH] [--raw-csv PATH]\n"
    "                   [--back-transform FLOW FHIGH [--velocity] --bt-csv PATH] FILE...\n";

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (arg == "--average") {
      o.average = true;
    } else if (arg == "--coherence") {
      std::string which;
      if (!value(which)) return false;
      o.settings.coherence = {
          .real = which == "real", .imaginary = which == "imag", .magnitude = which == "abs"};
      if (!o.settings.coherence.any()) return false;
    } else if (arg == "--cal1") {
      o.settings.raw.cal1 = true;
    } else if (arg == "--cal2") {
      o.settings.raw.cal2 = true;
    } else if (arg == "--no-dc-offset") {
      o.settings.raw.subtractDcOffset = false;
    } else if (arg == "--save-average") {
      if (!value(o.saveAverage)) return false;
    } else if (arg == "--first-name") {
      if (!value(o.firstName)) return false;
    } else if (arg == "--csv") {
      if (!value(o.csv)) return false;
    } else if (arg == "--raw-csv") {
      if (!value(o.rawCsv)) return false;
    } else if (arg == "--back-transform") {
      std::string low, high;
      if (!value(low) || !value(high)) return false;
      o.backTransform = true;
      o.band.fLow = datafiles::leadingValue(low);
      o.band.fHigh = datafiles::leadingValue(high);
    } else if (arg == "--velocity") {
      o.band.displacement = false;
    } else if (arg == "--bt-csv") {
      if (!value(o.backTransformCsv)) return false;
    } else if (arg.starts_with("--")) {
      return false;
    } else {
      o.files.emplace_back(arg);
    }
  }
  return !o.files.empty() && o.backTransform == !o.backTransformCsv.empty();
}

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

std::string spectrumCsv(const analysis::AnalysisState& s) {
  std::string out = "line,freq,psd1,psd2,coh,rmsCut1,rmsCut2\r\n";
  const std::size_t h = static_cast<std::size_t>(s.nSamples / 2);
  for (std::size_t q = 0; q <= h; ++q) {
    out += std::to_string(q);
    for (double v : {s.freq[q], s.psd1[q], s.psd2[q], s.coh[q], s.rmsCut1[q], s.rmsCut2[q]}) {
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

int run(const Options& o) {
  analysis::AnalysisState state;
  analysis::FileAnalysis fileAnalysis;
  analysis::RunSettings settings = o.settings;
  analysis::FileKind lastKind = analysis::FileKind::NoMeasurement;
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
    std::cerr << name << ": " << kindName(result.kind) << ", nSamples " << state.nSamples
              << ", nPlot " << state.nPlot << ", k " << state.kCount << ", kv " << state.kvCount
              << '\n';
    if (!o.rawCsv.empty() && result.kind != analysis::FileKind::NoMeasurement) {
      const analysis::RawResult raw = fileAnalysis.readRawData(state, dir, name, settings);
      if (!raw.ok) {
        std::cerr << "psd-analyze: " << raw.message << '\n';
        if (i + 1 == o.files.size()) return 1;  // the raw data written is the last file's
      }
    }
  }
  if (!o.saveAverage.empty()) {
    const std::string current = o.files.back().filename().string();
    const auto contents = analysis::averageFileContents(state, o.firstName, current);
    if (!writeOrComplain(o.saveAverage, datafiles::formatAverageFile(contents))) return 1;
  }
  if (o.backTransform) {
    if (lastKind != analysis::FileKind::Measurement) {
      std::cerr << "psd-analyze: " << o.files.back().filename().string()
                << ": only a measurement file can be back-transformed\n";
      return 1;
    }
    analysis::InverseTransform transform;
    const analysis::TraceMeasures measures = analysis::backTransform(state, transform, o.band);
    if (!measures.refusal.empty()) {
      std::cerr << "psd-analyze: " << o.files.back().filename().string() << ": " << measures.refusal
                << "; nothing written\n";
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
  if (!o.csv.empty() && !writeOrComplain(o.csv, spectrumCsv(state))) return 1;
  if (!o.rawCsv.empty() && !writeOrComplain(o.rawCsv, rawCsv(state))) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::cerr << kUsage;
    return 2;
  }
  return run(options);
}
