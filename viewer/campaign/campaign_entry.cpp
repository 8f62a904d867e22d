#include "viewer/campaign/campaign_entry.h"

#include <QDir>

namespace viewer {
namespace {

std::filesystem::path rootOf(const QString& directory) {
  return QDir::toNativeSeparators(directory).toStdString();
}

}  // namespace

analysis::CampaignEntry campaignEntryOf(const QString& directory, const QString& name,
                                        bool pathInTree) {
  const std::filesystem::path root = rootOf(directory);
  if (!pathInTree) return {root, name.toStdString()};
  const std::filesystem::path path = root / name.toStdString();
  return {path.parent_path(), path.filename().string(), name.toStdString()};
}

std::vector<analysis::CampaignEntry> campaignEntriesOf(const QString& directory,
                                                       const QStringList& names, bool pathInTree) {
  const std::filesystem::path root = rootOf(directory);
  std::vector<analysis::CampaignEntry> entries;
  entries.reserve(static_cast<std::size_t>(names.size()));
  std::string lastDirectory;  // the part of the previous name before its last '/'
  std::filesystem::path lastParent;
  for (const QString& name : names) {
    std::string path = name.toStdString();
    if (!pathInTree) {
      entries.push_back({root, std::move(path)});
      continue;
    }
    // Names of one directory share the part before the last '/' and so the parent path.
    const std::size_t slash = path.rfind('/');
    const std::string_view part =
        slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash);
    if (entries.empty() || part != lastDirectory) {
      lastParent = (root / path).parent_path();
      lastDirectory = part;
    }
    std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    entries.push_back({lastParent, std::move(fileName), std::move(path)});
  }
  return entries;
}

}  // namespace viewer
