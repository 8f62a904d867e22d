// Line counting and the sample count derived from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace datafiles {

// Number of lines after the first line of `text`. A line ends at CR LF, a lone CR or a lone LF;
// a last line without a line end counts; blank lines at the very end of the text do not.
std::size_t countLinesAfterFirst(std::string_view text);

// The record length in samples from a doubled line count: 3002, 12002, 2^15 + 2 and 2^17 + 2
// (a spectrum's N/2 + 1 lines, or an average file's rows plus its header line) become 3000,
// 12000, 32768 and 131072; any other value is returned unchanged.
std::int32_t normaliseSampleCount(std::int64_t doubledLineCount);

}  // namespace datafiles
