#include "viewer/plots/file_replacement.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace viewer {

std::optional<QString> replaceFile(const QString& path,
                                   const std::function<bool(QIODevice&)>& write) {
  const QString shown = QDir::toNativeSeparators(path);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return shown + ": " + file.errorString();
  errno = 0;
  const bool made = write(file);
  // A write that failed (the disk full) shows when the buffer is flushed at the latest. Flushed
  // here, since commit() alone does not always tell: Qt 6.4's renamed a file cut at the file
  // size limit and returned true.
  const bool flushed = file.flush();
  const int error = errno;
  if (!flushed || file.error() != QFileDevice::NoError) {
    // The device's message is often "Unknown error"; errno says what the system refused.
    const QString why =
        error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
    file.cancelWriting();
    return shown + ": " + why;
  }
  if (!made) {
    file.cancelWriting();
    return shown + ": its contents could not be made";
  }
  if (!file.commit()) return shown + ": " + file.errorString();
  return std::nullopt;
}

}  // namespace viewer
