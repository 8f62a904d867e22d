#include "viewer/campaign/campaign_entry.h"

#include <QDir>

namespace viewer {

analysis::CampaignEntry campaignEntryOf(const QString& directory, const QString& name,
                                        bool pathInTree) {
  const std::filesystem::path root(QDir::toNativeSeparators(directory).toStdString());
  if (!pathInTree) return {root, name.toStdString()};
  const std::filesystem::path path = root / name.toStdString();
  return {path.parent_path(), path.filename().string(), name.toStdString()};
}

}  // namespace viewer
