// A segment as a record: the same in-memory form a measurement file gives the analysis
// (datafiles::SpectrumRecords: lines 0 .. N/2, freq = k / T in Hz, velocity coefficients in
// mum/s, channel 1 in single precision), with what a file's name would otherwise tell.
//   name     "ID1[+ID2]@START", START = t_k in ISO 8601 UTC to the millisecond;
//   start    t_k (UTC);
//   samples  N, seconds T = N / rate (not the file-name rule of the spectrum files);
//   raw1/2   the segment's samples divided by the sensitivity only, x 1e6: mum/s for velocity
//            sensors (mum/s^2, mum for acceleration and displacement sensors), no line removed,
//            no window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/archive/archive_time.h"
#include "datafiles/measurement_file.h"

namespace analysis::archive {

struct SegmentRecord {
  std::string name;
  MicroTime start = 0;
  std::int32_t samples = 0;
  double rate = 0;
  double seconds = 0;
  datafiles::SpectrumRecords spectrum;
  std::vector<double> raw1, raw2;
};

}  // namespace analysis::archive
