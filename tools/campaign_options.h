// The "campaign" options of psd-analyze:
//   --campaign PREFIX [--band FLOW FHIGH] [--bins-per-octave B] [--threads N]
//              [--time-from auto|mtime|name:PATTERN] [--from DATETIME] [--to DATETIME]
//              [--hours HH:MM-HH:MM] [--weekdays LIST] [--cache PATH | --no-cache]
//              [--compliance] [--report FILE.pdf]
//              (FILE... | --tree DIR [--component z|n|e|all] [--csw])
// The time options choose where the records' start times come from (analysis/campaign/
// start_time.h) and which records the statistics take (analysis/campaign/time_selection.h).
// All of them need --campaign; --campaign cannot be combined with
// the per-file run's averaging and outputs, whose results a campaign would not produce.
#pragma once

#include <filesystem>
#include <string>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_tree.h"
#include "analysis/campaign/start_time.h"
#include "analysis/campaign/time_selection.h"
#include "analysis/units/spectral_units.h"

namespace CLI {
class App;
}

namespace tools {

struct CampaignOptions {
  std::string prefix;  // empty: no campaign
  analysis::CampaignSettings settings;
  unsigned threads = 0;  // 0: one per core
  analysis::StartTimeChoice timeFrom;
  analysis::TimeSelection selection;
  std::filesystem::path tree;  // empty: the FILEs
  analysis::SpectrumFileChoice choice;
  std::filesystem::path cache;  // empty: the default place
  bool noCache = false;
  // --compliance: the vibration criteria tables too (analysis/compliance/compliance_csv.h).
  bool compliance = false;
  // The units of the percentiles and density tables (--units, --asd, --db, --period).
  analysis::SpectralUnits units;
  std::filesystem::path report;  // --report FILE.pdf; empty: none
};

// Adds the options to `app`, in the help group "campaign". Call it after the per-file run's
// options, which it refers to.
void addCampaignOptions(CLI::App& app, CampaignOptions& options);

}  // namespace tools
