// A small generated campaign shared by the campaign tests, written once per test program:
// records of 3000, 12000, 32768 and 131072 samples, a 6 s record with a 10-character stem, a
// vetoed and a one-channel record, a malformed file, an average file, a name that is no
// measurement and a raw-data file; with the direct computation of each record's spectrum
// (campaign_reference.h).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "tests/analysis/campaign/campaign_reference.h"
#include "tests/support/temp_dir.h"

namespace campaign_testing {

inline constexpr const char* kRefused = "26120109.csvz";  // 'abc' on line 4
inline constexpr const char* kAverage = "av26120101.csv";
inline constexpr const char* kNoMeasurement = "00000000.csvz";
inline constexpr const char* kRawData = "26120101.prn";

struct SampleCampaign {
  testing_support::TempDir dir;
  std::vector<std::string> measurements;  // the generated records, vetoed one included
  std::map<std::string, campaign_reference::Spectrum> spectra;  // of each measurement
  std::vector<analysis::CampaignEntry> entries;                 // every file, in campaign order

  bool isUsed(const std::string& name) const { return name.find("xxx") == std::string::npos; }
};

const SampleCampaign& sampleCampaign();

}  // namespace campaign_testing
