// Campaigns over a directory tree: which files the walk takes, the order of a tree campaign and
// the names its tables give, against what the tree was made of.
#include "analysis/campaign/campaign_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "analysis/campaign/campaign_csv.h"
#include "tests/analysis/campaign/campaign_reference.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

namespace fs = std::filesystem;
namespace ref = campaign_reference;

// Record `a` of 1501 lines at 60 s; `a` makes each record's coefficients its own.
std::string record(double a) {
  return analysis_testing::spectrumText(1501, 60, [a](int k) {
    const double v = a / (1 + k % 5);
    return analysis_testing::Coefficients{v, v / 2, v / 3, v};
  });
}

// A tree with equal names in two directories, hidden entries, a link loop, a link to a file
// and files of other components.
struct Tree {
  testing_support::TempDir dir;
  std::vector<std::pair<std::string, double>> records = {{"05020000.csvz", 1},
                                                         {"may/05010000.csvz", 2},
                                                         {"may/05010015.csvz", 3},
                                                         {"june/05010000.csvz", 4},
                                                         {"june/deep/er/05010030.CSVZ", 5}};

  Tree() {
    for (const auto& [path, a] : records) write(path, record(a));
    write(".hidden.csvz", record(9));
    write(".day/05010045.csvz", record(9));
    write("may/05010100.csvn", record(9));
    write("may/05010100.cswz", record(9));
    write("may/notes.txt", "not a record");
    fs::create_directory_symlink(dir.path(), dir.path() / "may" / "loop");
    fs::create_directory_symlink(dir.path() / "june", dir.path() / "also-june");
    fs::create_symlink(dir.path() / "may" / "05010015.csvz", dir.path() / "05010020.csvz");
  }
  void write(const std::string& path, const std::string& text) const {
    fs::create_directories((dir.path() / path).parent_path());
    dir.write(path, text);
  }
};

std::vector<std::string> pathsOf(const std::vector<CampaignEntry>& entries) {
  std::vector<std::string> paths;
  for (const CampaignEntry& e : entries) {
    EXPECT_TRUE(fs::exists(e.directory / e.fileName)) << e.relativePath;
    EXPECT_EQ(e.relativePath.substr(e.relativePath.size() - e.fileName.size()), e.fileName);
    paths.push_back(e.relativePath);
  }
  return paths;
}

TEST(CampaignTree, WalkSkipsHiddenEntriesAndLinksToDirectoriesAndKeepsEqualNamesApart) {
  const Tree tree;
  struct Case {
    SpectrumFileChoice choice;
    std::vector<std::string> paths;
  } cases[] = {
      {{'z', false},
       {"05010020.csvz", "05020000.csvz", "june/05010000.csvz", "june/deep/er/05010030.CSVZ",
        "may/05010000.csvz", "may/05010015.csvz"}},
      {{'n', false}, {"may/05010100.csvn"}},
      {{'z', true}, {"may/05010100.cswz"}},
      {{0, false},
       {"05010020.csvz", "05020000.csvz", "june/05010000.csvz", "june/deep/er/05010030.CSVZ",
        "may/05010000.csvz", "may/05010015.csvz", "may/05010100.csvn"}},
  };
  for (const Case& c : cases) {
    const TreeListing listing = listTree(tree.dir.path(), c.choice);
    EXPECT_EQ(pathsOf(listing.entries), c.paths) << c.choice.pattern();
    EXPECT_TRUE(listing.problems.empty());
    EXPECT_EQ(SpectrumFileChoice::fromPattern(c.choice.pattern())->pattern(), c.choice.pattern());
  }
  EXPECT_EQ(listTree(tree.dir.path() / "absent", {}).problems.size(), 1u);
}

TEST(CampaignTree, OrderedByStartTimeThenPathRecordsWithoutTimeLast) {
  std::vector<CampaignFile> files(5);
  const char* paths[] = {"b/x.csvz", "a/x.csvz", "c.csvz", "a/y.csvz", "d.csvz"};
  for (std::size_t i = 0; i < files.size(); ++i) files[i].relativePath = paths[i];
  const std::vector<std::optional<CivilSeconds>> starts = {600, 600, std::nullopt, 0, std::nullopt};
  EXPECT_EQ(treeOrder(files, starts), (std::vector<std::size_t>{3, 1, 0, 2, 4}));
}

TEST(CampaignTree, TablesNameFilesByTheirPathInTheTreeInTimeOrder) {
  const Tree tree;
  const TreeListing listing = listTree(tree.dir.path(), {});
  Campaign campaign;
  campaign.append(listing.entries);
  campaign.computePending({.threads = 2});
  const StartTimes starts = startTimesOf(campaign.files(), {});
  campaign.reorder(treeOrder(campaign.files(), starts.start));

  // Names MMDDhhmm: 05010000 twice (june/ before may/ by path), 0015, 0020 (a link to 0015),
  // 0030 and 05020000 last.
  std::vector<std::string> names;
  for (const CampaignFile& f : campaign.files()) names.push_back(f.tableName());
  EXPECT_EQ(names, (std::vector<std::string>{"june/05010000.csvz", "may/05010000.csvz",
                                             "may/05010015.csvz", "05010020.csvz",
                                             "june/deep/er/05010030.CSVZ", "05020000.csvz"}));
  // Each row of the bins table holds its own file's spectrum, found by a direct computation.
  const std::string bins = campaignBinsCsv(campaign.files(), campaign.bins());
  for (const auto& [path, a] : tree.records) {
    const ref::Spectrum s = ref::spectrumOf(record(a), 8);
    const auto [binned1, binned2] = ref::binnedOf(s, kDefaultBinsPerOctave);
    const auto& [k, psd1] = *binned1.begin();
    std::string row = path + ",";
    datafiles::appendDouble(row, campaign.bins().centre(k));
    const std::size_t at = bins.find(row + ",");
    ASSERT_NE(at, std::string::npos) << row;
    EXPECT_NEAR(std::stod(bins.substr(at + row.size() + 1)), psd1, 1e-12 * psd1) << path;
  }
}

}  // namespace
}  // namespace analysis
