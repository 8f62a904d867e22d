// The records of a synthetic station-year, as the campaign benchmarks build them: one used
// two-channel 12000-sample record of 60 s every 15 minutes from 2026-01-01, named MMDDhhmm.
// Each benchmark fills in the spectra, rms or bands it needs.
#pragma once

#include <cstdio>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/start_time.h"

namespace bench {

inline constexpr int kStationYearRecords = 35040;

inline analysis::CampaignFile stationYearRecord(int i) {
  static const analysis::CivilSeconds first = *analysis::parseIsoDateTime("2026-01-01");
  const analysis::CivilTime t = analysis::civilTimeOf(first + i * 900LL);
  char name[32];
  std::snprintf(name, sizeof name, "%02d%02d%02d%02d.csvz", t.month, t.day, t.hour, t.minute);
  analysis::CampaignFile f;
  f.name = name;
  f.status = analysis::CampaignStatus::Used;
  f.samples = 12000;
  f.seconds = 60;
  f.twoChannels = true;
  f.modified = *analysis::parseIsoDateTime("2027-01-02");
  return f;
}

}  // namespace bench
