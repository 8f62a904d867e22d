// Writing a file the user named so that a failure leaves no part of it: the contents go to a
// temporary file in the same directory, which takes the name only once every byte has been
// written and flushed (QSaveFile); on any failure (a full disk, a directory that cannot be
// written) the temporary file is removed and a file that had the name stays as it was.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace viewer {

// Writes `path` through `write`, which returns false when it could not make its contents.
// Returns the problem, naming the file ("/home/u/plot.png: No space left on device"), or
// nothing when the file was written.
std::optional<QString> replaceFile(const QString& path,
                                   const std::function<bool(QIODevice&)>& write);

}  // namespace viewer
