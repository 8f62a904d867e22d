// The campaign entry of a name in a campaign source's list: a file of the directory, or, for a
// tree's list, a path relative to the tree's root ("2026-05-01/05010000.csvz"), read from its
// own directory and named by that path in the tables.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/campaign/campaign_file.h"

namespace viewer {

analysis::CampaignEntry campaignEntryOf(const QString& directory, const QString& name,
                                        bool pathInTree);

// campaignEntryOf of each name, in order, made in one pass: the directory converted once and,
// in a tree, each directory of the tree once per run of names in it (a station-year's 35,040
// names one by one took the window 80 ms).
std::vector<analysis::CampaignEntry> campaignEntriesOf(const QString& directory,
                                                       const QStringList& names, bool pathInTree);

}  // namespace viewer
