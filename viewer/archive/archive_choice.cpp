#include "viewer/archive/archive_choice.h"

#include <QFileInfo>
#include <algorithm>
#include <system_error>

#include "analysis/archive/mseed_file.h"
#include "analysis/archive/sds_layout.h"
#include "analysis/archive/segment_readings.h"

namespace viewer {
namespace {

namespace archive = analysis::archive;
namespace fs = std::filesystem;

fs::path pathOf(const QString& text) {
  return fs::path(text.toStdString());
}

}  // namespace

std::vector<archive::SeedId> archiveChannels(const fs::path& directory) {
  std::vector<archive::SeedId> ids = archive::sdsChannels(directory);
  if (!ids.empty()) return ids;
  std::error_code error;
  for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    for (archive::SeedId& id : archive::channelsInMseedFile(it->path())) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

ArchiveSetup archiveSetupOf(const ArchiveChoice& choice) {
  ArchiveSetup setup;
  archive::ArchiveRequest& r = setup.request;
  const fs::path root = pathOf(choice.directory);
  std::error_code error;
  if (choice.directory.isEmpty() || !fs::is_directory(root, error)) {
    setup.problem = choice.directory + ": no directory";
    return setup;
  }
  if (archive::sdsChannels(root).empty()) {
    r.mseedPaths = {root};
  } else {
    r.sdsRoot = root;
  }
  const auto id1 = archive::parseSeedId(choice.channel1.toStdString());
  const auto id2 = archive::parseSeedId(choice.channel2.toStdString());
  if (!id1 || (!choice.channel2.isEmpty() && !id2)) {
    setup.problem = "channels \"" + choice.channel1 + "\", \"" + choice.channel2 +
                    "\": no SEED ids NET.STA.LOC.CHA";
    return setup;
  }
  r.channel1 = *id1;
  r.channel2 = id2;
  r.grid = {.seconds = choice.segmentSeconds, .overlapPercent = choice.overlapPercent};
  // The responses as psd-analyze's --response takes them: a pole-zero file for its channel.
  std::vector<std::string> arguments;
  for (const QString& file : choice.responseFiles) {
    const QFileInfo info(file);
    std::string argument = file.toStdString();
    if (info.suffix().compare("xml", Qt::CaseInsensitive) != 0) {
      const std::string id = info.completeBaseName().toStdString();
      if (!archive::parseSeedId(id)) {
        setup.problem = file +
                        ": a pole-zero file is taken for the channel it is named after "
                        "(NET.STA.LOC.CHA.pz); this name names none";
        return setup;
      }
      argument = id + "=" + argument;
    }
    if (auto problem = setup.responses.addResponse(argument, setup.notes)) {
      setup.problem = QString::fromStdString(*problem);
      return setup;
    }
    arguments.push_back(std::move(argument));
  }
  for (const auto& id : {id1, id2}) {
    if (id && !setup.responses.covers(*id)) {
      setup.problem = QString::fromStdString("no response for " + id->text() +
                                             ": choose its StationXML or pole-zero file");
      return setup;
    }
  }
  setup.responsesDigest = archive::responseDigest(arguments, {});
  return setup;
}

}  // namespace viewer
