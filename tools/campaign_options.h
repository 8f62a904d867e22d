// The "campaign" options of psd-analyze:
//   --campaign PREFIX [--band FLOW FHIGH] [--bins-per-octave B] [--threads N] FILE...
// --band, --bins-per-octave and --threads need --campaign; --campaign cannot be combined with
// the per-file run's averaging and outputs, whose results a campaign would not produce.
#pragma once

#include <string>

#include "analysis/campaign/campaign.h"

namespace CLI {
class App;
}

namespace tools {

struct CampaignOptions {
  std::string prefix;  // empty: no campaign
  analysis::CampaignSettings settings;
  unsigned threads = 0;  // 0: one per core
};

// Adds the options to `app`, in the help group "campaign". Call it after the per-file run's
// options, which it refers to.
void addCampaignOptions(CLI::App& app, CampaignOptions& options);

}  // namespace tools
