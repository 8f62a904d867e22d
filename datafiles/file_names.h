// Rules that read meaning out of a measurement file's name.
//
// A measurement name is stem, optional veto mark, extension, optional component letter:
// "12345678.csvz", "12345678xxx.csvn", "1234567890.cswe". The stem has 8 or 10 characters with
// a non-zero numeric value. Names beginning with "av" are average files. Comparisons are exact
// and case-sensitive, except for the component letter, which may be written in capitals as the
// whole extension may (".CSVZ").
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace datafiles {

inline constexpr std::string_view kAveragePrefix = "av";
inline constexpr std::string_view kVetoMark = "xxx";

bool isAverageFileName(std::string_view name);

// 8, or 10 when the ninth character is neither '.' nor 'x' (or the name is shorter than nine).
std::int32_t stemLengthOf(std::string_view name);

// The numeric value of the first `stemLength` characters (of the whole name if shorter).
// A value of 0 means the name is no measurement.
double stemValueOf(std::string_view name, std::int32_t stemLength);

// True when "xxx" follows the stem.
bool isVetoedName(std::string_view name, std::int32_t stemLength);

// The last 5 characters when the name ends in a component letter 'z', 'n' or 'e' (in either
// case: "12345678.CSVZ" keeps ".CSVZ"), else the last 4.
std::string_view renameTail(std::string_view name);

// The name the file gets when its veto mark is toggled: stem + "xxx" + tail for a plain name,
// stem + tail for a vetoed one.
std::string toggledVetoName(std::string_view name, std::int32_t stemLength);

// The raw-data file of a measurement: the stem + ".prn" in the same directory, or the stem +
// ".PRN" when only that one exists.
std::filesystem::path rawDataPathOf(const std::filesystem::path& directory, std::string_view name,
                                    std::int32_t stemLength);

// 1-based columns of the raw-data file holding channel 1 and channel 2 of the component named by
// the last character of the name, in either case: 'v', 'w', 'z' -> (4, 11); 'n' -> (5, 12);
// 'e' -> (6, 13). Nothing for any other last character.
std::optional<std::pair<int, int>> rawColumnsOf(std::string_view name);

// True when the extension after the stem (and its veto mark) begins with ".csv" or ".csw", in
// any case, as the file list's patterns match: the names of spectrum files. Raw-data files
// (".prn") and anything else are not.
bool hasSpectrumExtension(std::string_view name, std::int32_t stemLength);

}  // namespace datafiles
