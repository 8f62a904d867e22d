// The temp directory: the default place of the average file, and the directory in which a back
// transformation also writes its result file.
#pragma once

#include <QDir>
#include <QString>

namespace viewer {

inline QString tempDirectory() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\temp");
#else
  return QDir::tempPath();
#endif
}

// True while the browser shows the temp directory or a directory below it. The test is a
// case-sensitive comparison of the path's beginning.
inline bool showsTempDirectory(const QString& directory) {
  return QDir::toNativeSeparators(directory).startsWith(tempDirectory(), Qt::CaseSensitive);
}

}  // namespace viewer
