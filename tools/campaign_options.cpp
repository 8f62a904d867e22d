#include "tools/campaign_options.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <vector>

#include "tools/option_values.h"

namespace tools {

void addCampaignOptions(CLI::App& app, CampaignOptions& o) {
  const char* group = "campaign";
  CLI::Option* campaign =
      app.add_option("--campaign", o.prefix,
                     "statistics of all FILEs together: writes PREFIX-files.csv, "
                     "PREFIX-percentiles.csv, PREFIX-density.csv and PREFIX-bins.csv")
          ->type_name("PREFIX")
          ->check([](const std::string& prefix) {
            return prefix.empty() ? std::string("PREFIX is empty") : std::string();
          })
          ->group(group);
  for (const char* perFileOutput :
       {"--average", "--save-average", "--csv", "--raw-csv", "--back-transform", "--bt-csv",
        "--noise-models-csv", "--third-octave-csv", "--relative-csv", "--transfer-csv",
        "--self-noise-csv"}) {
    campaign->excludes(perFileOutput);
  }
  app.add_option_function<std::vector<double>>(
         "--band",
         [&o](const std::vector<double>& band) {
           requireTwoValues("--band", band.size());
           if (!(band[0] >= 0 && band[0] <= band[1])) {
             throw CLI::ValidationError("--band", "needs 0 <= FLOW <= FHIGH");
           }
           o.settings.band = {band[0], band[1]};
         },
         "band of the rms per file, Hz: lines with FLOW <= f <= FHIGH (default 1 Hz to the "
         "highest line drawn)")
      ->expected(2)
      ->allow_extra_args(false)
      ->trigger_on_parse()  // each time given, on its own values
      ->type_name("FLOW FHIGH")
      ->needs(campaign)
      ->group(group);
  app.add_option("--bins-per-octave", o.settings.binsPerOctave,
                 "frequency bins per octave, edges anchored at 1 Hz (default 12)")
      ->check(CLI::Range(1, analysis::kMaxBinsPerOctave))
      ->type_name("B")
      ->needs(campaign)
      ->group(group);
  app.add_option("--threads", o.threads, "files read in parallel (default: one per core)")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N")
      ->needs(campaign)
      ->group(group);
}

}  // namespace tools
