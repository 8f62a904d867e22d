#include "tools/archive_options.h"

#include <CLI/CLI.hpp>

namespace tools {

namespace archive = analysis::archive;

void addArchiveOptions(CLI::App& app, ArchiveOptions& o) {
  const char* group = "station archive";
  CLI::Option* mseed =
      app.add_option("--mseed", o.mseed,
                     "records cut from these miniSEED files (a directory: every file under it)")
          ->type_name("PATH...")
          ->expected(1, -1)
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
          ->group(group);
  CLI::Option* sds = app.add_option("--sds", o.sds, "records cut from an SDS archive")
                         ->type_name("DIR")
                         ->excludes(mseed)
                         ->group(group);
  app.add_option("--channels", o.channels,
                 "channel 1 and optionally channel 2 of the records, SEED ids NET.STA.LOC.CHA")
      ->type_name("ID1[,ID2]")
      ->group(group);
  app.add_option("--segment", o.grid.seconds, "length of the segments, s (default 655.36)")
      ->type_name("SECONDS")
      ->group(group);
  app.add_option("--overlap", o.grid.overlapPercent,
                 "overlap of consecutive segments, % (default 50)")
      ->type_name("PERCENT")
      ->group(group);
  app.add_option("--response", o.responses,
                 "instrument response: StationXML, or ID=FILE a SAC pole-zero file (repeatable)")
      ->type_name("FILE|ID=FILE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->group(group);
  app.add_option("--sensitivity", o.sensitivities,
                 "a flat response of S counts per m/s for channel ID (repeatable)")
      ->type_name("ID=S")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->group(group);
  // --from and --to choose segments without --campaign too (checked in checkArchiveOptions).
  CLI::Option* campaign = app.get_option("--campaign");
  for (const char* name : {"--from", "--to"}) app.get_option(name)->remove_needs(campaign);
  (void)sds;
}

void checkArchiveOptions(CLI::App& app, const ArchiveOptions& o, bool campaign, bool filesGiven) {
  for (const char* name : {"--from", "--to"}) {
    if (app.count(name) > 0 && !campaign && !o.active()) {
      throw CLI::ValidationError(name, "needs --campaign, --mseed or --sds");
    }
  }
  for (const char* name : {"--channels", "--segment", "--overlap", "--response", "--sensitivity"}) {
    if (app.count(name) > 0 && !o.active()) {
      throw CLI::ValidationError(name, "needs --mseed or --sds");
    }
  }
  if (!o.active()) return;
  if (filesGiven) throw CLI::ExcludesError("--mseed/--sds", "FILE");
  if (o.channels.empty())
    throw CLI::ValidationError("--channels", "is needed with --mseed or --sds");
}

ArchiveSetup archiveSetupOf(const ArchiveOptions& o, std::optional<std::int64_t> fromSeconds,
                            std::optional<std::int64_t> toSeconds) {
  ArchiveSetup setup;
  archive::ArchiveRequest& r = setup.request;
  r.mseedPaths = o.mseed;
  r.sdsRoot = o.sds;
  r.grid = o.grid;
  const std::size_t comma = o.channels.find(',');
  const auto id1 = archive::parseSeedId(o.channels.substr(0, comma));
  const auto id2 = comma == std::string::npos ? std::optional<archive::SeedId>()
                                              : archive::parseSeedId(o.channels.substr(comma + 1));
  if (!id1 || (comma != std::string::npos && !id2)) {
    setup.problem = "--channels " + o.channels + ": not ID1[,ID2] with ids NET.STA.LOC.CHA";
    return setup;
  }
  r.channel1 = *id1;
  r.channel2 = id2;
  // --to is exclusive, as for a campaign's records: the last start taken lies before it.
  if (fromSeconds) r.from = *fromSeconds * archive::kMicrosPerSecond;
  if (toSeconds) r.to = *toSeconds * archive::kMicrosPerSecond - 1;
  for (const std::string& response : o.responses) {
    if (auto problem = setup.responses.addResponse(response, setup.notes)) {
      setup.problem = "--response " + *problem;
      return setup;
    }
  }
  for (const std::string& sensitivity : o.sensitivities) {
    if (auto problem = setup.responses.addSensitivity(sensitivity)) {
      setup.problem = "--sensitivity " + *problem;
      return setup;
    }
  }
  return setup;
}

}  // namespace tools
