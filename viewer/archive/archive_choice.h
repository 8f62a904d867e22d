// What the station archive dialog asks for, and the request and responses made of it for
// analysis::archive (archive_segments.h). The directory is an SDS tree when day files of the SDS
// layout lie under it, else a directory of miniSEED files (every file under it). Response files:
// StationXML (".xml", every channel epoch in it), or SAC pole-zero files named after their
// channel ("XX.ST1..HHZ.pz", as make-samples writes them beside its archive).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/archive/archive_segments.h"

namespace viewer {

struct ArchiveChoice {
  QString directory;
  QString channel1, channel2;  // SEED ids; channel2 empty for one-channel records
  QStringList responseFiles;
  double segmentSeconds = 655.36;
  double overlapPercent = 50;
};

struct ArchiveSetup {
  analysis::archive::ArchiveRequest request;
  analysis::archive::ResponseSet responses;
  std::uint64_t responsesDigest = 0;  // for the campaign cache's keys
  std::vector<std::string> notes;     // what is only reported
  QString problem;                    // empty when the choice can be taken
};

ArchiveSetup archiveSetupOf(const ArchiveChoice& choice);

// The channels of an archive: the SDS tree's NET.STA.LOC.CHA, else those in the headers of the
// miniSEED files under the directory (nothing decoded), sorted.
std::vector<analysis::archive::SeedId> archiveChannels(const std::filesystem::path& directory);

}  // namespace viewer
