// Field-by-field reading of the measurement text files.
//
// Field syntax, shared by spectrum, average and raw-data files:
//  - a field starts at the first character that is not a blank (space or tab) or a line end;
//    fields are taken regardless of where lines end, so a record may be split over lines;
//  - an unquoted field ends at a blank, a comma or a line end; a field in double quotes ends at
//    its closing quote (or at the line end when the quote is never closed);
//  - the blanks that end a field, optionally followed by one comma, form one separator:
//    "1,2", "1, 2" and "1 ,2" are two fields each; "1,,2" has an empty middle field; a field
//    that ends its line also takes that line end, so a following `readLine()` reads the next line;
//  - an empty field reads as the number 0;
//  - a line ends at CR LF, a lone CR or a lone LF.
// Blank lines and blanks at the very end of the text are not data: `atEnd()` is true there.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include <fast_float/fast_float.h>

namespace datafiles {

// Numbers beyond this magnitude are refused as out of range. No measurement comes near it, and
// the bound keeps every sum and product the analysis forms over such numbers finite.
inline constexpr double kLargestAcceptedNumber = 1e250;

// Why a read stopped; `offset` is the byte position in the text where the problem lies.
struct ReadProblem {
  std::size_t offset = 0;
  std::string what;
};

class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // True when nothing but blanks and line ends remains.
  bool atEnd() const;

  // The rest of the current line, without its line end, which is consumed.
  std::string_view readLine();

  // Reads the next field as a number into `value`. On failure returns false and leaves the
  // reason in `problem()`: the text ends before the field, the field is not a number, or the
  // number is not finite or beyond `kLargestAcceptedNumber`.
  inline bool readNumber(double& value);

  // Reads the next field as text (quotes removed). Fails only at the end of the text.
  bool readText(std::string_view& field);

  // Moves to the first character of the next field; false when the text ends before one.
  bool skipToNextField() { return startField(); }

  std::size_t offset() const { return pos_; }
  const ReadProblem& problem() const { return problem_; }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t'; }
  static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
  static bool endsUnquotedField(char c) { return isBlank(c) || c == ',' || isLineEnd(c); }

  inline bool startField();  // skips to the next field's first character; false at the end
  inline void skipSeparator();
  bool readNumberSlowly(double& value);  // quoted, empty, signed with '+', or not a number
  std::string_view takeQuoted();
  std::string_view takeUnquoted();
  bool fail(std::size_t offset, std::string what);
  bool failOutOfRange(std::size_t offset, std::string_view field, double value);

  std::string_view text_;
  std::size_t pos_ = 0;
  ReadProblem problem_;
};

// Inline: these run for every field of every file.

bool FieldReader::startField() {
  while (pos_ < text_.size() && (isBlank(text_[pos_]) || isLineEnd(text_[pos_]))) ++pos_;
  return pos_ < text_.size();
}

void FieldReader::skipSeparator() {
  while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size()) return;
  if (text_[pos_] == ',') {
    ++pos_;
  } else if (isLineEnd(text_[pos_])) {
    // A field that ends its line takes the line end with it, so that a whole-line read after
    // the last field of a line reads the next line.
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
  }
}

bool FieldReader::readNumber(double& value) {
  if (startField()) {
    // The common case: a plain number converted in place, filling its whole field.
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    const auto parsed = fast_float::from_chars(first, last, value);
    if (parsed.ec == std::errc() && (parsed.ptr == last || endsUnquotedField(*parsed.ptr)) &&
        std::fabs(value) <= kLargestAcceptedNumber) {
      pos_ = static_cast<std::size_t>(parsed.ptr - text_.data());
      skipSeparator();
      return true;
    }
  }
  return readNumberSlowly(value);
}

// 1-based number of the line that holds byte `offset` of `text`.
std::size_t lineNumberAt(std::string_view text, std::size_t offset);

}  // namespace datafiles
