#include "tools/reference_curve_options.h"

#include <CLI/CLI.hpp>

namespace tools {

void addReferenceCurveOptions(CLI::App& app, ReferenceCurveOutputs& outputs) {
  const char* group = "reference curves";
  app.add_option("--noise-models-csv", outputs.noiseModelsCsv,
                 "write f,nlnm,nhnm: the low and high seismic noise models (mum^2/Hz, the PSD's "
                 "axis) at the last FILE's lines drawn, up to 10 Hz")
      ->type_name("PATH")
      ->group(group);
  app.add_option("--third-octave-csv", outputs.thirdOctaveCsv,
                 "write f_centre,f_low,f_high,v1,v2: the rms velocity (mum/s) in the one-third-"
                 "octave bands wholly inside the last FILE's lines drawn; prints the verdict "
                 "against the vibration criteria")
      ->type_name("PATH")
      ->group(group);
}

}  // namespace tools
