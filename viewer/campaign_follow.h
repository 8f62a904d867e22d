// How an open campaign follows the file list it was made of: the list changed (files appeared,
// vanished, were renamed); can the campaign be brought along by a few steps, or must it start
// afresh?
#pragma once

#include <QStringList>
#include <utility>
#include <vector>

namespace viewer {

struct CampaignListChange {
  enum class Kind {
    None,         // the list is the campaign's
    Incremental,  // the steps below turn the campaign's files into the list
    Afresh,       // the list's order cannot be reached by those steps
  };
  Kind kind = Kind::None;
  QStringList removed;                               // names gone from the list
  std::vector<std::pair<QString, QString>> renamed;  // (old, new): the veto mark toggled
  QStringList appended;                              // new names, in list order, after all others
};

// The steps from the campaign's files `campaign` (in campaign order) to the list `listed`:
// names that vanished are removed, a name that vanished while its veto-toggled counterpart
// appeared is renamed in place, and new names are appended, when that gives the list's order.
CampaignListChange planCampaignChange(const QStringList& campaign, const QStringList& listed);

}  // namespace viewer
