#include "viewer/file_pattern.h"

#include <QRegularExpression>

namespace viewer {
namespace {

bool wildcardMatch(const QString& text, const QString& pattern) {
  const QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(pattern),
                                      QRegularExpression::CaseInsensitiveOption);
  return expression.match(text).hasMatch();
}

}  // namespace

bool matchesFilePattern(const QString& name, const QString& pattern) {
  const qsizetype patternDot = pattern.lastIndexOf('.');
  if (patternDot < 0) return wildcardMatch(name, pattern);
  const QString stemPattern = pattern.left(patternDot);
  const QString extensionPattern = pattern.mid(patternDot + 1);
  const qsizetype nameDot = name.lastIndexOf('.');
  if (nameDot < 0) return false;
  const QString stem = name.left(nameDot);
  const QString extension = name.mid(nameDot + 1);
  if (!wildcardMatch(stem, stemPattern)) return false;
  const bool plainThreeLetters = extensionPattern.size() == 3 && !extensionPattern.contains('*') &&
                                 !extensionPattern.contains('?');
  if (plainThreeLetters) return extension.startsWith(extensionPattern, Qt::CaseInsensitive);
  return wildcardMatch(extension, extensionPattern);
}

}  // namespace viewer
