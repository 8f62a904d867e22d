// The spectrum files of a directory tree, for a campaign that spans months of recording kept one
// directory per day or month.
//
// Walk: every directory under the root at any depth. Entries whose name begins with '.' are
// skipped (hidden files, and hidden directories with all they hold); a symbolic link to a
// directory is not followed, so a link loop costs nothing and no directory is walked twice
// through a link; a symbolic link to a file is taken as the file. A directory that cannot be
// listed is reported and the walk goes on without it.
//
// Which files: those the main window's file list would show with the same choice of component
// and ".csw" (its pattern "*.csv" + letter): the extension after the last '.' is, ignoring case,
// "csv" or "csw" followed by the component letter, or, for every component, any extension
// beginning with "csv" (or "csw").
//
// Order of the listing: by relative path, byte by byte. A campaign of the tree is ordered by
// start time, then by relative path (treeOrder); records without a start time come last.
// Tables name each file by its path relative to the root, '/' between the parts; for a file
// directly in the root that is its name.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/campaign/campaign_file.h"
#include "analysis/campaign/start_time.h"

namespace analysis {

struct SpectrumFileChoice {
  char component = 'z';  // 'z', 'n', 'e', or 0 for every component
  bool csw = false;      // ".csw" files instead of ".csv" ones

  // "*.csvz", "*.csw", ...: the file list's pattern for this choice.
  std::string pattern() const;
  // The choice a file list pattern of that form stands for; nothing for another pattern.
  static std::optional<SpectrumFileChoice> fromPattern(std::string_view pattern);
  bool matches(std::string_view fileName) const;
};

struct TreeListing {
  std::vector<CampaignEntry> entries;  // by relative path; relativePath set on each
  std::vector<std::string> problems;   // "DIR: cannot be listed (why)"
};

TreeListing listTree(const std::filesystem::path& root, const SpectrumFileChoice& choice);

// The order of a tree campaign's files: indices into `files`, by start (none last), then by
// table name. `starts` has one entry per file.
std::vector<std::size_t> treeOrder(std::span<const CampaignFile> files,
                                   std::span<const std::optional<CivilSeconds>> starts);

}  // namespace analysis
