// Text form of the fields of the files this program writes: comma-separated records ended by
// CR LF, strings in double quotes, numbers in invariant form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace datafiles {

inline constexpr std::string_view kRecordEnd = "\r\n";

// Appends `value` with the fewest significant digits that read back to exactly the same double:
// '.' as decimal point, no trailing zeros, no leading or trailing blanks, "0." before a fraction.
// Magnitudes from 1e-5 up to below 1e15 are written in plain decimal; others as mantissa, 'E',
// the exponent's sign and at least two exponent digits (1.5E-10, 2.5E+20). Zero is "0".
// A value that is not finite has no such form and is never written: nothing is appended (the
// writers refuse such values before they get here).
void appendDouble(std::string& out, double value);

// The longest number appendDouble and appendFloat write: "-1.2345678901234567E-308".
inline constexpr std::size_t kLongestNumber = 24;

// Writes `value` as appendDouble does at `out`, which has room for kLongestNumber characters,
// and returns the end of what was written. For writers that lay out whole rows at once.
char* writeDouble(char* out, double value);

// The same for a single-precision value, with the fewest digits that read back as that float.
void appendFloat(std::string& out, float value);

// Appends `text` in double quotes. A double quote inside would end the field early when read
// back, so it is written as a single quote; a control character (CR and LF would end the record)
// as '?'.
void appendQuoted(std::string& out, std::string_view text);

std::string formatDouble(double value);

}  // namespace datafiles
