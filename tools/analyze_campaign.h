// psd-analyze --campaign: the campaign of the FILE arguments, in the order given (a file given
// twice is taken once, where first given, and reported), or of the spectrum files of a
// directory tree (--tree), ordered by start time, then by path; written as the four CSV tables
// of analysis/campaign/campaign_csv.h.
//
// Readings come from and go to the cache unless --no-cache; a cache that cannot be used is
// reported once and the run goes on without it, with the same tables. When the cache gave any
// file, the summary says how many.
//
// Each refused file is reported on `err` (file, line, problem) and the run goes on. While it
// runs, a progress line (files done / total, MB/s) is kept on `err` when standard error is a
// terminal. The summary names the source of the start times and, with a time selection, how
// many used records it takes; the percentiles and density tables then hold the selection's
// statistics. Returns the exit status: 0 when at least one file was used, else 1 with a message
// (the tables are written all the same, the files table saying why); 1 also when a table cannot
// be written, and when a time selection takes no used record (the tables are written, without
// statistics rows).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <vector>

#include "analysis/campaign/campaign_cache.h"

#include "tools/campaign_options.h"

namespace tools {

// The cache of the options (its problems are reported after the run), or null: --no-cache, or
// no place for the default one (reported).
std::unique_ptr<analysis::CampaignCache> openCache(const CampaignOptions& options,
                                                   std::ostream& err);
// Reports the cache's problem, if any, once.
void reportCacheProblem(const analysis::CampaignCache* cache, std::ostream& err);

int runCampaign(const CampaignOptions& options, const std::vector<std::filesystem::path>& files,
                std::ostream& err);

}  // namespace tools
