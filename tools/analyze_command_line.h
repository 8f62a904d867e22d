// The command line of psd-analyze: its options, grouped as `--help` shows them, and the parse.
//
// Options and FILE arguments may come in any order; a FILE is any argument that is not an
// option or an option's value (`--` ends the options). An option given twice keeps its last
// value. `--back-transform` and `--bt-csv` come together or not at all.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "analysis/record/file_analysis.h"
#include "analysis/transform/back_transformation.h"
#include "analysis/units/spectral_units.h"
#include "tools/archive_options.h"
#include "tools/campaign_options.h"
#include "tools/reference_curve_options.h"
#include "tools/two_sensor_outputs.h"

namespace CLI {
class App;
}

namespace tools {

struct AnalyzeOptions {
  bool average = false;
  analysis::RunSettings settings;
  std::string saveAverage, firstName, csv, rawCsv, backTransformCsv;
  std::string mscCsv;          // pooled coherence table (tools/pooled_coherence_output.h)
  TwoSensorOutputs twoSensor;  // relative motion, transfer function, self-noise
  bool backTransform = false;
  analysis::Band band;
  CampaignOptions campaign;
  ArchiveOptions archive;  // segments of a station archive instead of FILEs
  std::vector<std::filesystem::path> files;
  ReferenceCurveOutputs referenceCurves;
  analysis::SpectralUnits units;  // of the spectral tables (tools/unit_options.h)
};

// Parses argv into `options`. Returns the exit status when the program should end at once:
// 0 after `--help` (every option, grouped, on `out`) or `--version` (on `out`); 2 after a
// wrong, unknown or incomplete option, reported on `err` naming the option and what it expects.
// Returns nothing when the options are complete and the run should go ahead.
std::optional<int> parseCommandLine(int argc, const char* const* argv, AnalyzeOptions& options,
                                    std::ostream& out, std::ostream& err);

// The version printed by `--version`.
std::string programVersion();

}  // namespace tools
