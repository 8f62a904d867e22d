#include "viewer/display/display_command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <ostream>

#include "psd_version.h"

namespace viewer {
namespace {

constexpr const char* kProgram = "psd-display";

// The options and the one positional argument. A word with one dash ("-platform") is one long
// option, as Qt reads its own, never a bundle of letters.
struct DisplayOptions {
  QCommandLineParser parser;
  QCommandLineOption help{{"h", "help"}, "Print every option with a short explanation and exit."};
  QCommandLineOption version{{"v", "version"}, "Print the program's version and exit."};
  QCommandLineOption units{"units",
                           "Start with the spectra in this quantity: the one-sided displacement, "
                           "velocity or acceleration density (default: as recorded, the "
                           "program's PSD axis).",
                           "disp|vel|acc"};
  QCommandLineOption asd{"asd", "Start with amplitude spectral densities (needs --units)."};
  QCommandLineOption db{"db", "Start with decibels re 1 SI unit (needs --units)."};
  QCommandLineOption period{"period", "Start with a period axis (needs --units)."};

  DisplayOptions() {
    parser.setApplicationDescription(
        "Viewer of two-channel seismic vibration measurements: browses a directory of spectrum "
        "files and shows, for the file selected, the displacement PSD of both channels, the rms "
        "displacement above a lower cut frequency, the coherence between the channels and the "
        "raw traces. Spectra can be averaged, saved and compared against a reference; a band "
        "can be transformed back into time traces.");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions({units, asd, db, period});
    parser.addPositionalArgument("directory",
                                 "The directory to browse at start (default: the working "
                                 "directory).",
                                 "[directory]");
  }

  // Answers --help or --version if one was given.
  std::optional<int> answer(std::ostream& out) const {
    if (parser.isSet(help)) {
      // Qt names the program by the path it was started with; the manual page wants its name.
      QString text = parser.helpText();
      text.replace(0, text.indexOf('\n'), QString("Usage: %1 [options] [directory]").arg(kProgram));
      out << text.toStdString();
      return 0;
    }
    if (parser.isSet(version)) {
      out << kProgram << ' ' << PSD_DISPLAY_VERSION << '\n';
      return 0;
    }
    return std::nullopt;
  }
};

}  // namespace

std::optional<int> answerHelpOrVersion(const QStringList& arguments, std::ostream& out) {
  DisplayOptions options;
  // Qt's own options are still in the list and count as unknown here: that is no mistake yet.
  options.parser.parse(arguments);
  return options.answer(out);
}

DisplayCommandLine parseDisplayCommandLine(const QStringList& arguments,
                                           const QString& workingDirectory, std::ostream& out,
                                           std::ostream& err) {
  DisplayOptions options;
  if (!options.parser.parse(arguments)) {
    err << kProgram << ": " << options.parser.errorText().toStdString()
        << "\nRun with --help for more information.\n";
    return {.exitStatus = 2};
  }
  if (const std::optional<int> answered = options.answer(out)) return {.exitStatus = answered};

  // The units to start with (analysis/units/spectral_units.h).
  analysis::SpectralUnits units;
  if (options.parser.isSet(options.units)) {
    const QString quantity = options.parser.value(options.units);
    units.quantity = quantity == "disp"  ? analysis::Quantity::Displacement
                     : quantity == "vel" ? analysis::Quantity::Velocity
                     : quantity == "acc" ? analysis::Quantity::Acceleration
                                         : analysis::Quantity::Recorded;
    if (units.recorded()) {
      err << kProgram << ": --units: '" << quantity.toStdString()
          << "' is none of disp, vel, acc\nRun with --help for more information.\n";
      return {.exitStatus = 2};
    }
  }
  units.asd = options.parser.isSet(options.asd);
  units.db = options.parser.isSet(options.db);
  units.period = options.parser.isSet(options.period);
  if (units.recorded() && (units.asd || units.db || units.period)) {
    err << kProgram << ": --asd, --db and --period need --units disp, vel or acc"
        << "\nRun with --help for more information.\n";
    return {.exitStatus = 2};
  }

  const QStringList directories = options.parser.positionalArguments();
  if (directories.size() > 1) {
    err << kProgram << ": one start directory at most, " << directories.size()
        << " given: " << directories.join(' ').toStdString()
        << "\nRun with --help for more information.\n";
    return {.exitStatus = 2};
  }
  if (directories.isEmpty()) return {.startDirectory = workingDirectory, .units = units};

  const QString& given = directories.front();
  const QFileInfo directory(QDir(workingDirectory), given);
  if (directory.isDir()) {
    return {.startDirectory = QDir::cleanPath(directory.absoluteFilePath()), .units = units};
  }
  err << kProgram << ": " << given.toStdString() << ": "
      << (directory.exists() ? "not a directory" : "no such directory")
      << "; starting in the working directory " << workingDirectory.toStdString() << '\n';
  return {.startDirectory = workingDirectory, .units = units};
}

}  // namespace viewer
