// The command line of psd-display: `psd-display [options] [directory]`; among the options
// `--units disp|vel|acc [--asd] [--db] [--period]` (viewer/display/units/units_view.h).
//
// It is read in two steps, because Qt's own options (-platform, -style, -reverse, ...) are only
// taken out of the argument list by QApplication, which needs a display:
//   1. answerHelpOrVersion(), before any Qt application exists: --help and --version are
//      answered here, so that they work without a display (the manual page is generated from
//      them at build time). Everything else, Qt's options included, is left for later.
//   2. parseDisplayCommandLine(), on QApplication::arguments(): the start directory, and the
//      mistakes (unknown options, more than one directory).
// Neither needs a QCoreApplication instance.
#pragma once

#include <QString>
#include <QStringList>
#include <iosfwd>
#include <optional>

#include "analysis/units/spectral_units.h"

namespace viewer {

struct DisplayCommandLine {
  // Set when the program should end at once with this exit status: 0 after --help or --version
  // (answered on `out`), 2 after an unknown option or more than one directory (on `err`).
  std::optional<int> exitStatus;
  // The directory to browse at start: the one argument as given, or `workingDirectory` when
  // there is none or it names no directory (the latter reported on `err`; the run goes on).
  QString startDirectory;
  // --units disp|vel|acc [--asd] [--db] [--period]: the units to start with; a form without a
  // quantity, or another quantity, is a mistake (exit status 2).
  analysis::SpectralUnits units = {};
};

// `arguments` as in argv, the program's name first. Returns 0 after writing the help
// (-h, --help) or the version (-v, --version: "psd-display <version>") to `out`; nothing, and
// writes nothing, otherwise. Only exact option words count: "-reverse" is no "-v".
std::optional<int> answerHelpOrVersion(const QStringList& arguments, std::ostream& out);

// `arguments` as in argv after Qt's options are taken out, the program's name first.
DisplayCommandLine parseDisplayCommandLine(const QStringList& arguments,
                                           const QString& workingDirectory, std::ostream& out,
                                           std::ostream& err);

}  // namespace viewer
