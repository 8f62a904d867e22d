// psd-display: the viewer. An optional argument names the directory to start browsing in;
// otherwise it starts in the working directory. --help and --version need no display.
#include <QApplication>
#include <QDir>
#include <iostream>

#include "viewer/display/display.h"
#include "viewer/display/display_command_line.h"
#include "viewer/display/units/units_view.h"

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (const std::optional<int> answered = viewer::answerHelpOrVersion(arguments, std::cout)) {
    return *answered;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("psd-display");
  // Lets Wayland shells match the window to its desktop entry (and so to its icon).
  QGuiApplication::setDesktopFileName(PSD_DESKTOP_ID);
  const viewer::DisplayCommandLine commandLine = viewer::parseDisplayCommandLine(
      QApplication::arguments(), QDir::currentPath(), std::cout, std::cerr);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  viewer::Display window(commandLine.startDirectory);
  if (!commandLine.units.recorded()) window.units->setUnits(commandLine.units);
  window.show();
  return app.exec();
}
