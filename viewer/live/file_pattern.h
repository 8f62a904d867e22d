// Which file names the file list shows for a pattern such as "*.csvz".
#pragma once

#include <QString>

namespace viewer {

// Case-insensitive wildcard match of `name` against `pattern`. A three-letter extension in the
// pattern also matches longer extensions that begin with it: "*.csv" lists .csv, .csvz, .csvn
// and .csve files, while "*.csvz" lists only .csvz files.
bool matchesFilePattern(const QString& name, const QString& pattern);

}  // namespace viewer
