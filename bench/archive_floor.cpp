// The floor of a station archive's campaign: libmseed decoding the same day files and FFTW's
// real transforms of the same segments on two threads, nothing else (no response, no binning,
// no tables). bench/station-archive runs it beside psd-analyze --campaign --sds.
//
//   bench_archive_floor SDS_ROOT ID1 ID2 [SEGMENT_SECONDS [OVERLAP_PERCENT]]
#include <fftw3.h>
#include <libmseed.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/archive/sds_layout.h"

namespace {

namespace archive = analysis::archive;

// Every sample of one day file, decoded record by record into `samples`. The file's bytes and
// the samples go into buffers the thread keeps from day to day: a floor that allocated and
// faulted in 80 MB afresh for every file spent more time in the kernel than decoding.
void decodeDay(const std::filesystem::path& path, std::string& bytes,
               std::vector<double>& samples) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  bytes.resize(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  samples.clear();
  std::size_t offset = 0;
  while (offset + 128 <= bytes.size()) {
    const int length = ms_detect(bytes.data() + offset, static_cast<int>(bytes.size() - offset));
    if (length <= 0) break;
    MSRecord* msr = nullptr;
    if (msr_parse(bytes.data() + offset, length, &msr, length, 1, 0) == MS_NOERROR) {
      const auto* data = static_cast<const std::int32_t*>(msr->datasamples);
      samples.insert(samples.end(), data, data + msr->numsamples);
    }
    msr_free(&msr);
    offset += static_cast<std::size_t>(length);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_archive_floor SDS_ROOT ID1 ID2 [SECONDS [PERCENT]]\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const auto id1 = archive::parseSeedId(argv[2]), id2 = archive::parseSeedId(argv[3]);
  const double seconds = argc > 4 ? std::atof(argv[4]) : 655.36;
  const double percent = argc > 5 ? std::atof(argv[5]) : 50;
  if (!id1 || !id2) return 2;
  const auto days = archive::sdsDaysPresent(root, *id1);
  const auto start = std::chrono::steady_clock::now();
  std::mutex planning;
  double checksum[2] = {0, 0};
  std::size_t transforms[2] = {0, 0};
  const auto work = [&](int thread) {
    const double rate = 100;  // make-samples' default; the floor needs only the count
    const auto n = static_cast<std::size_t>(std::llround(seconds * rate));
    const auto hop = static_cast<std::size_t>(std::llround(seconds * (1 - percent / 100) * rate));
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan;
    {
      std::lock_guard lock(planning);
      plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_ESTIMATE);
    }
    std::string bytes;
    std::vector<double> samples;
    samples.reserve(8640000);  // a day at 100 Hz
    for (std::size_t d = static_cast<std::size_t>(thread); d < days.size(); d += 2) {
      for (const auto& id : {*id1, *id2}) {
        decodeDay(archive::sdsDayFile(root, id, days[d]), bytes, samples);
        for (std::size_t first = 0; first + n <= samples.size(); first += hop) {
          std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(first), n, in);
          fftw_execute(plan);
          checksum[thread] += out[1][0];
          ++transforms[thread];
        }
      }
    }
    std::lock_guard lock(planning);
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
  };
  { std::jthread a(work, 0), b(work, 1); }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu days, %zu transforms, %.2f s (checksum %g)\n", days.size(),
              transforms[0] + transforms[1], elapsed, checksum[0] + checksum[1]);
  return 0;
}
