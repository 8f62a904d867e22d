#include "viewer/live/file_pattern.h"

#include <QRegularExpression>

namespace viewer {
namespace {

QRegularExpression wildcard(const QString& pattern) {
  return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                            QRegularExpression::CaseInsensitiveOption);
}

// A pattern taken apart once: the list matches every name of a directory against the same
// pattern, and compiling its expressions costs far more than matching them.
struct CompiledPattern {
  QString pattern;
  bool valid = false;
  bool hasDot = false;
  QRegularExpression whole, stem, extension;
  bool plainThreeLetters = false;  // a three-letter extension without wildcards
  QString extensionText;

  explicit CompiledPattern(const QString& p) : pattern(p), valid(true) {
    const qsizetype dot = p.lastIndexOf('.');
    hasDot = dot >= 0;
    if (!hasDot) {
      whole = wildcard(p);
      return;
    }
    stem = wildcard(p.left(dot));
    extensionText = p.mid(dot + 1);
    plainThreeLetters =
        extensionText.size() == 3 && !extensionText.contains('*') && !extensionText.contains('?');
    if (!plainThreeLetters) extension = wildcard(extensionText);
  }
  CompiledPattern() = default;
};

const CompiledPattern& compiled(const QString& pattern) {
  thread_local CompiledPattern cache;
  if (!cache.valid || cache.pattern != pattern) cache = CompiledPattern(pattern);
  return cache;
}

}  // namespace

bool matchesFilePattern(const QString& name, const QString& pattern) {
  const CompiledPattern& p = compiled(pattern);
  if (!p.hasDot) return p.whole.match(name).hasMatch();
  const qsizetype nameDot = name.lastIndexOf('.');
  if (nameDot < 0) return false;
  if (!p.stem.match(name.left(nameDot)).hasMatch()) return false;
  const QString extension = name.mid(nameDot + 1);
  if (p.plainThreeLetters) return extension.startsWith(p.extensionText, Qt::CaseInsensitive);
  return p.extension.match(extension).hasMatch();
}

}  // namespace viewer
