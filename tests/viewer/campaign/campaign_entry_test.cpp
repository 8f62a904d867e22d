// A campaign's entries made from a whole list in one pass are those of each name made alone.
#include "viewer/campaign/campaign_entry.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(CampaignEntries, AWholeListGivesTheEntryOfEachNameMadeAlone) {
  // Runs of one directory, a directory met again later, a name without one, deeper paths, and
  // odd names a tree's list could hold.
  const QStringList names = {"2026-05-01/05010000.csvz", "2026-05-01/05010015.csvz",
                             "2026-05-02/05020000.csvz", "05030000.csvz",
                             "2026-05-01/05010030.csvz", "a/b/c/05040000.csvz",
                             "a/b/c/05040015.csvz",      "a/b/05040030.csvz",
                             "a//05050000.csvz",         "a/./05050015.csvz",
                             "../05060000.csvz",         "a/"};
  for (const QString& root : {QString("/data/site"), QString("/data/site/"), QString("rel")}) {
    for (bool tree : {true, false}) {
      SCOPED_TRACE(root.toStdString() + (tree ? " tree" : " directory"));
      const std::vector<analysis::CampaignEntry> entries = campaignEntriesOf(root, names, tree);
      ASSERT_EQ(entries.size(), static_cast<std::size_t>(names.size()));
      for (qsizetype i = 0; i < names.size(); ++i) {
        const analysis::CampaignEntry alone = campaignEntryOf(root, names[i], tree);
        const analysis::CampaignEntry& entry = entries[static_cast<std::size_t>(i)];
        EXPECT_EQ(entry.directory, alone.directory) << names[i].toStdString();
        EXPECT_EQ(entry.fileName, alone.fileName) << names[i].toStdString();
        EXPECT_EQ(entry.relativePath, alone.relativePath) << names[i].toStdString();
      }
    }
  }
}

}  // namespace
}  // namespace viewer
