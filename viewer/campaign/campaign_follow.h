// How an open campaign follows the file list it was made of when the list changed (files
// appeared, vanished, were renamed): by a few steps, none of which reads the other files again.
#pragma once

#include <QStringList>
#include <utility>
#include <vector>

namespace viewer {

struct CampaignListChange {
  QStringList removed;                               // names gone from the list
  std::vector<std::pair<QString, QString>> renamed;  // (old, new): the veto mark toggled
  QStringList added;                                 // new names, in list order
};

// The steps from the campaign's files `campaign` to the list `listed` (order aside: the window
// shows the files in the list's order whatever order the campaign keeps them in). A name that
// vanished while its veto-toggled counterpart appeared is a rename; other vanished names are
// removed, other new names added.
CampaignListChange planCampaignChange(const QStringList& campaign, const QStringList& listed);

}  // namespace viewer
