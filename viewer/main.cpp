// psd-display: the viewer. An optional argument names the directory to start browsing in;
// otherwise it starts in the working directory.
#include <QApplication>
#include <QDir>

#include "viewer/display.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("psd-display");
  const QStringList arguments = QApplication::arguments();
  const QString startDir = arguments.size() > 1 ? arguments.at(1) : QDir::currentPath();
  viewer::Display window(startDir);
  window.show();
  return app.exec();
}
