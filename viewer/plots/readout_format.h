// Number patterns of the cursor readouts.
#pragma once

#include <QString>
#include <cstdint>

namespace analysis {
struct AnalysisState;
}

namespace viewer {

// "0.000" (decimals = 3) or "0.00" (decimals = 2): fixed point, at least one digit before the
// point. 3.14159 -> "3.142".
QString fixedPattern(double value, int decimals);

// "0.00E-##": one digit before the point, two after, 'E', a minus sign only for a negative
// exponent, no leading zeros in the exponent. 0.00001234 -> "1.23E-5"; 0 -> "0.00E0".
QString scientificPattern(double value);

// "##.##": at most two decimals and no forced digits: 12.345 -> "12.35", 0.5 -> ".5",
// 3 -> "3." (the point is kept).
QString optionalDigitsPattern(double value);

// The frequency line nearest to f (Hz) for a record of nSamples with the given stem length:
// round half to even of T x f, T = 60 s, 6 s for 10-character stems, 655.36 s for more than
// 20000 samples; capped at nSamples / 2 and at 0.
std::int32_t lineAtFrequency(double f, std::int32_t nSamples, std::int32_t nameStemLength);

// The line nearest to f (Hz) of the record shown in `state`: as above with T its own record
// length (analysis::shownRecordSeconds), which the name rule does not give for a station
// archive's segment (N / rate) nor for a file whose spacing contradicts its name.
std::int32_t lineAtFrequency(double f, const analysis::AnalysisState& state);

}  // namespace viewer
