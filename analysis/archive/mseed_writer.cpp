#include "analysis/archive/mseed_writer.h"

#include <libmseed.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace analysis::archive {
namespace {

void writeRecord(char* record, int length, void* file) {
  std::fwrite(record, 1, static_cast<std::size_t>(length), static_cast<std::FILE*>(file));
}

void copyCode(char* field, std::size_t size, const std::string& code) {
  std::snprintf(field, size, "%s", code.c_str());
}

}  // namespace

std::optional<std::string> appendMseed(const std::filesystem::path& path, const MseedTrace& trace,
                                       MseedEncoding encoding, int recordLength) {
  MSTrace* mst = mst_init(nullptr);
  copyCode(mst->network, sizeof mst->network, trace.id.network);
  copyCode(mst->station, sizeof mst->station, trace.id.station);
  copyCode(mst->location, sizeof mst->location, trace.id.location);
  copyCode(mst->channel, sizeof mst->channel, trace.id.channel);
  mst->dataquality = 'D';
  mst->starttime = trace.start;
  mst->samprate = trace.rate;
  const std::size_t n = trace.samples.size();
  mst->numsamples = static_cast<std::int64_t>(n);
  mst->samplecnt = mst->numsamples;
  // mst_free releases datasamples with free().
  switch (encoding) {
    case MseedEncoding::Float32: {
      auto* data = static_cast<float*>(std::malloc(n * sizeof(float)));
      for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<float>(trace.samples[i]);
      mst->datasamples = data;
      mst->sampletype = 'f';
      break;
    }
    case MseedEncoding::Float64: {
      auto* data = static_cast<double*>(std::malloc(n * sizeof(double)));
      std::memcpy(data, trace.samples.data(), n * sizeof(double));
      mst->datasamples = data;
      mst->sampletype = 'd';
      break;
    }
    default: {
      auto* data = static_cast<std::int32_t*>(std::malloc(n * sizeof(std::int32_t)));
      for (std::size_t i = 0; i < n; ++i) {
        data[i] = static_cast<std::int32_t>(std::lround(trace.samples[i]));
      }
      mst->datasamples = data;
      mst->sampletype = 'i';
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) {
    mst_free(&mst);
    return path.string() + ": cannot be written";
  }
  std::int64_t packed = 0;
  const int records = mst_pack(mst, writeRecord, file, recordLength, static_cast<flag>(encoding), 1,
                               &packed, 1, 0, nullptr);
  const bool closed = std::fclose(file) == 0;
  mst_free(&mst);
  if (records < 0 || packed != static_cast<std::int64_t>(n) || !closed) {
    return path.string() + ": libmseed could not pack the samples";
  }
  return std::nullopt;
}

}  // namespace analysis::archive
