// psd-analyze's options for the published reference curves (the --help group "reference
// curves"): the seismic noise models and the one-third-octave velocities with their verdict
// against the vibration criteria, both for the last FILE (its average with --average).
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tools {

struct ReferenceCurveOutputs {
  std::string noiseModelsCsv;  // --noise-models-csv PATH; empty: not written
  std::string thirdOctaveCsv;  // --third-octave-csv PATH; empty: not written, no verdict
};

// Adds the group's options to `app`; they fill `outputs` when parsed.
void addReferenceCurveOptions(CLI::App& app, ReferenceCurveOutputs& outputs);

}  // namespace tools
