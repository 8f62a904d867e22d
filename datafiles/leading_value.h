// The number at the start of a text, as the file-name rules and the cut-frequency boxes read it.
#pragma once

#include <string_view>

namespace datafiles {

// Reads the decimal number at the start of `text`, ignoring blanks (also between its digits),
// up to the first character that cannot continue it: optional sign, digits, one '.', digits,
// and an exponent ('E' or 'e', optional sign, digits). A text that does not start with a
// number has the value 0. Examples: "12345678.csvz" -> 12345678, " 1 5Hz" -> 15, "Av1" -> 0.
double leadingValue(std::string_view text);

}  // namespace datafiles
