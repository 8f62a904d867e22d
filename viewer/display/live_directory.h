// The file list follows its directory: files that appear, vanish or are renamed show within two
// seconds, without running an analysis (see viewer/live/live_file_list.h for the rules).
#pragma once

#include <QObject>
#include <QStringList>

#include "viewer/display/display_component.h"

namespace viewer {

class Display;
class DirectoryWatch;

class LiveDirectory : public QObject, public DisplayComponent {
 public:
  explicit LiveDirectory(Display& display);

  // Brings flb up to date with its directory, keeping the selection on its file and running no
  // analysis; while the loop runs, only appends behind the current entry. The directory watch
  // calls it within two seconds of a change.
  void followDirectory();

 private:
  Display& display_;
  DirectoryWatch* watch_;  // tells when flb's directory changed
};

}  // namespace viewer
