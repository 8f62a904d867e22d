// The "station archive" options of psd-analyze: records cut from continuous miniSEED data
// instead of spectrum FILEs (analysis/archive/archive_segments.h).
//   --mseed PATH...              miniSEED files, or every file under a directory
//   --sds DIR                    an SDS tree (only the day files the span needs are opened)
//   --channels ID1[,ID2]         SEED ids NET.STA.LOC.CHA: channel 1 and channel 2
//   --segment SECONDS            default 655.36
//   --overlap PERCENT            default 50
//   --response FILE | ID=FILE    StationXML, or a SAC pole-zero file for channel ID (repeatable)
//   --sensitivity ID=S           a flat response, S counts per m/s (repeatable)
// With an archive source, --from and --to (UTC) choose the segments by their start, also
// without --campaign; FILEs and --tree are refused.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/archive/archive_segments.h"

namespace CLI {
class App;
}

namespace tools {

struct ArchiveOptions {
  std::vector<std::filesystem::path> mseed;
  std::filesystem::path sds;
  std::string channels;  // "ID1[,ID2]"
  analysis::archive::SegmentGrid grid;
  std::vector<std::string> responses, sensitivities;

  bool active() const { return !mseed.empty() || !sds.empty(); }
};

// Adds the options, in the help group "station archive". Call it after addCampaignOptions():
// --from and --to then also go with an archive source instead of --campaign.
void addArchiveOptions(CLI::App& app, ArchiveOptions& options);

// Checks what the parse cannot: --channels present and sound with a source, no source without
// it, --from/--to with --campaign or a source. Throws CLI::ValidationError naming the option.
void checkArchiveOptions(CLI::App& app, const ArchiveOptions& options, bool campaign,
                         bool filesGiven);

// The request and responses of the options; the problem (for status 2) when an id, a file or a
// response cannot be taken; `notes` gets what is only reported.
struct ArchiveSetup {
  analysis::archive::ArchiveRequest request;
  analysis::archive::ResponseSet responses;
  std::string problem;
  std::vector<std::string> notes;
};
ArchiveSetup archiveSetupOf(const ArchiveOptions& options, std::optional<std::int64_t> fromSeconds,
                            std::optional<std::int64_t> toSeconds);

}  // namespace tools
