// The campaign entry of a name in a campaign source's list: a file of the directory, or, for a
// tree's list, a path relative to the tree's root ("2026-05-01/05010000.csvz"), read from its
// own directory and named by that path in the tables.
#pragma once

#include <QString>

#include "analysis/campaign/campaign_file.h"

namespace viewer {

analysis::CampaignEntry campaignEntryOf(const QString& directory, const QString& name,
                                        bool pathInTree);

}  // namespace viewer
