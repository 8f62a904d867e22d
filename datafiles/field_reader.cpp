#include "datafiles/field_reader.h"

namespace datafiles {
namespace {

// Shown in messages: short, printable.
std::string quoteForMessage(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string shown;
  for (char c : field.substr(0, kShown)) {
    shown +=
        (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) ? '?' : c;
  }
  if (field.size() > kShown) shown += "...";
  return "'" + shown + "'";
}

}  // namespace

bool FieldReader::atEnd() const {
  for (std::size_t i = pos_; i < text_.size(); ++i) {
    if (!isBlank(text_[i]) && !isLineEnd(text_[i])) return false;
  }
  return true;
}

std::string_view FieldReader::readLine() {
  const std::size_t start = pos_;
  std::size_t end = start;
  while (end < text_.size() && !isLineEnd(text_[end])) ++end;
  pos_ = end;
  if (pos_ < text_.size()) {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
  }
  return text_.substr(start, end - start);
}

std::string_view FieldReader::takeQuoted() {
  const std::size_t start = ++pos_;  // after the opening quote
  while (pos_ < text_.size() && text_[pos_] != '"' && !isLineEnd(text_[pos_])) ++pos_;
  const std::string_view field = text_.substr(start, pos_ - start);
  if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
  // Anything between the closing quote and the separator is not part of the field.
  while (pos_ < text_.size() && !endsUnquotedField(text_[pos_])) ++pos_;
  skipSeparator();
  return field;
}

std::string_view FieldReader::takeUnquoted() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !endsUnquotedField(text_[pos_])) ++pos_;
  const std::string_view field = text_.substr(start, pos_ - start);
  skipSeparator();
  return field;
}

bool FieldReader::fail(std::size_t offset, std::string what) {
  problem_ = {offset, std::move(what)};
  return false;
}

bool FieldReader::failOutOfRange(std::size_t offset, std::string_view field, double value) {
  return fail(offset, quoteForMessage(field) +
                          (std::isfinite(value) ? " is out of range" : " is not a finite number"));
}

bool FieldReader::readText(std::string_view& field) {
  if (!startField()) return fail(pos_, "the file ends in the middle of a record");
  field = text_[pos_] == '"' ? takeQuoted() : takeUnquoted();
  return true;
}

bool FieldReader::readNumberSlowly(double& value) {
  if (!startField()) return fail(pos_, "the file ends in the middle of a record");
  const std::size_t fieldStart = pos_;
  std::string_view field;
  if (text_[pos_] == '"') {
    field = takeQuoted();
    while (!field.empty() && isBlank(field.front())) field.remove_prefix(1);
    while (!field.empty() && isBlank(field.back())) field.remove_suffix(1);
  } else if (text_[pos_] == ',') {
    ++pos_;  // an empty field: the comma is its separator
    value = 0.0;
    return true;
  } else {
    // Fast path: convert in place, then check that the number fills the whole field.
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    if (*first == '+' && first + 1 < last && *(first + 1) != '-') ++first;
    const auto parsed = fast_float::from_chars(first, last, value);
    const std::size_t stop = static_cast<std::size_t>(parsed.ptr - text_.data());
    if (parsed.ec == std::errc() && (stop == text_.size() || endsUnquotedField(text_[stop]))) {
      pos_ = stop;
      skipSeparator();
      if (std::fabs(value) <= kLargestAcceptedNumber) return true;
      return failOutOfRange(fieldStart, text_.substr(fieldStart, stop - fieldStart), value);
    }
    field = takeUnquoted();
    return fail(fieldStart, quoteForMessage(field) + " is not a number");
  }
  if (field.empty()) {
    value = 0.0;
    return true;
  }
  const char* first = field.data();
  if (*first == '+' && field.size() > 1 && field[1] != '-') ++first;
  const auto parsed = fast_float::from_chars(first, field.data() + field.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != field.data() + field.size()) {
    return fail(fieldStart, quoteForMessage(field) + " is not a number");
  }
  if (!(std::fabs(value) <= kLargestAcceptedNumber)) {
    return failOutOfRange(fieldStart, field, value);
  }
  return true;
}

std::size_t lineNumberAt(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  const std::size_t end = offset < text.size() ? offset : text.size();
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
    } else if (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')) {
      ++line;
    }
  }
  return line;
}

}  // namespace datafiles
