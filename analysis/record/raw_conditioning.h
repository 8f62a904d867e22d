// From raw-data counts to calibrated velocity traces (mum/s) with their time axis and extremes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/record/analysis_state.h"
#include "datafiles/raw_data_file.h"

namespace analysis {

inline constexpr double kCmg6tFactor = 0.52;  // "channel n -> CMG-6T"

// Counts to mum/s by record length: 225/750/127 for 3000 samples, 0.000447978 for 12000,
// 2.4/1500 for 1200 and 4800. Other lengths have no gain: 0, and the traces become 0.
double rawGainFor(std::int32_t nSamples);

// Time of sample r (from 1), s: r / nSamples * 60, rounded to single precision, then divided by
// 10 for short records (10-character stems). Samples past the stored axis use the same formula.
float rawTimeOf(std::size_t r, std::int32_t nSamples, std::int32_t nameStemLength);

struct RawOptions {
  bool cal1 = false;  // channel 1 -> CMG-6T
  bool cal2 = false;  // channel 2 -> CMG-6T
  bool subtractDcOffset = true;
  bool autoscale = true;
};

// Extremes of the conditioned traces (both channels always), and the autoscale values derived
// from them, rounded half to even.
struct RawScale {
  double min = 0, max = 0;                  // mum/s
  double yMin = 0, yMax = 0;                // round(min), round(max)
  double barMinValue = 0, barMaxValue = 0;  // round(-min), round(-max): the limit bars' values
};

// Writes rawTime, raw1, raw2 for samples 1 .. samples.count from the two channel columns, then,
// with subtractDcOffset, removes sum / nSamples from samples 1 .. nSamples (the divisor and the
// range are nSamples even when the file held fewer samples).
RawScale conditionRaw(AnalysisState& state, const datafiles::RawSamples& samples,
                      const RawOptions& options);

}  // namespace analysis
