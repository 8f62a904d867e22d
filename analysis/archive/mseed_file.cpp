#include "analysis/archive/mseed_file.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <mutex>

namespace analysis::archive {
namespace {

void discardLibraryMessage(char*) {}

// libmseed writes its own diagnostics to standard error; every problem is reported here
// instead, with the file's name and the offset.
void silenceLibrary() {
  static std::once_flag once;
  std::call_once(
      once, [] { ms_loginit(discardLibraryMessage, nullptr, discardLibraryMessage, nullptr); });
}

std::optional<std::string> readBytes(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot be opened";
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return "cannot be read";
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return "cannot be read";
  return std::nullopt;
}

bool isMiniSeed3(std::string_view bytes) {
  return bytes.size() >= 3 && bytes[0] == 'M' && bytes[1] == 'S' && bytes[2] == 3;
}

bool onlyPadding(std::string_view rest) {
  return std::all_of(rest.begin(), rest.end(), [](char c) { return c == '\0' || c == ' '; });
}

std::string trimmed(const char* code) {
  std::string text(code);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

SeedId idOf(const MSRecord& msr) {
  return {trimmed(msr.network), trimmed(msr.station), trimmed(msr.location), trimmed(msr.channel)};
}

// Owns one parsed record. One is parsed into again and again along a file: libmseed then keeps
// its buffers (the header's, the samples') instead of allocating them for every record.
struct ParsedRecord {
  MSRecord* msr = nullptr;
  ~ParsedRecord() { msr_free(&msr); }
};

// The record's samples as doubles into `out`; false for text or an unknown sample type.
bool samplesOf(const MSRecord& msr, std::vector<double>& out) {
  const std::size_t n = static_cast<std::size_t>(msr.numsamples);
  out.resize(n);
  switch (msr.sampletype) {
    case 'i':
      std::copy_n(static_cast<const std::int32_t*>(msr.datasamples), n, out.begin());
      return true;
    case 'f':
      std::copy_n(static_cast<const float*>(msr.datasamples), n, out.begin());
      return true;
    case 'd':
      std::copy_n(static_cast<const double*>(msr.datasamples), n, out.begin());
      return true;
    default:
      return false;
  }
}

class RecordWalk {
 public:
  RecordWalk(const std::filesystem::path& path, std::string& bytes)
      : name_(path.string()), bytes_(bytes) {}

  // Calls take(header-parsed record, offset, length) for each record; reports the rest.
  template <typename Take>
  void run(MseedFileContents& out, Take take) {
    std::size_t offset = 0;
    std::size_t lastLength = 0;
    bool inDamage = false;
    while (offset < bytes_.size()) {
      const std::string_view rest = std::string_view(bytes_).substr(offset);
      if (onlyPadding(rest)) break;
      const int remaining = static_cast<int>(std::min<std::size_t>(rest.size(), MAXRECLEN));
      const int length = ms_detect(bytes_.data() + offset, remaining);
      if (offset == 0 && length < 0) {
        out.problems.push_back(name_ + ": no miniSEED (the first bytes are no SEED record)");
        out.refused = true;
        return;
      }
      if (length > 0 && static_cast<std::size_t>(length) > rest.size()) {
        out.problems.push_back(name_ + ": the file ends in the middle of the record at byte " +
                               std::to_string(offset));
        return;
      }
      std::optional<std::string> problem;
      if (length <= 0) {
        problem = "no SEED record";
      } else {
        problem = take(offset, length);
      }
      if (!problem) {
        inDamage = false;
        lastLength = static_cast<std::size_t>(length);
        offset += lastLength;
        continue;
      }
      if (!inDamage) {
        out.problems.push_back(name_ + ": damaged record at byte " + std::to_string(offset) + " (" +
                               *problem + "), its time is a gap");
      }
      inDamage = true;
      offset +=
          length > 0 ? static_cast<std::size_t>(length) : (lastLength > 0 ? lastLength : MINRECLEN);
    }
  }

 private:
  std::string name_;
  std::string& bytes_;
};

}  // namespace

namespace {

// Bytes one sample takes in the record for the encodings libmseed decodes sample by sample;
// 0 for Steim frames (whose decoders stop at the data area's end) and unknown encodings
// (refused by libmseed).
int bytesPerSample(int encoding) {
  switch (encoding) {
    case DE_ASCII:
      return 1;
    case DE_INT16:
    case DE_GEOSCOPE163:
    case DE_GEOSCOPE164:
    case DE_CDSN:
    case DE_SRO:
    case DE_DWWSSN:
      return 2;
    case DE_GEOSCOPE24:
      return 3;
    case DE_INT32:
    case DE_FLOAT32:
      return 4;
    case DE_FLOAT64:
      return 8;
    default:
      return 0;
  }
}

// libmseed 2 decodes these encodings by the header's sample count alone, reading past the
// record when the count claims more samples than its data area holds: such a record is refused
// before its samples are decoded.
std::optional<std::string> dataAreaProblem(const MSRecord& h) {
  if (!h.fsdh || h.fsdh->data_offset < 48 || h.fsdh->data_offset >= h.reclen) {
    return "data offset " + std::to_string(h.fsdh ? h.fsdh->data_offset : 0) + " in a record of " +
           std::to_string(h.reclen) + " bytes";
  }
  const std::int64_t room = h.reclen - h.fsdh->data_offset;
  const std::int64_t need = h.samplecnt * bytesPerSample(h.encoding);
  if (need > room) {
    return std::to_string(h.samplecnt) + " samples do not fit in the record's " +
           std::to_string(room) + " bytes of data";
  }
  return std::nullopt;
}

// A wanted data record in the window, header parsed: its id, or nothing to skip it; a problem
// string when the header itself is unsound.
struct WantedHeader {
  std::optional<SeedId> id;
  std::optional<std::string> problem;
};
WantedHeader wantedHeader(const MSRecord& h, std::span<const SeedId> wanted, MicroTime from,
                          MicroTime to) {
  if (!MS_ISDATAINDICATOR(h.dataquality)) return {};  // not a data record
  SeedId id = idOf(h);
  if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), id) == wanted.end()) return {};
  if (h.samplecnt <= 0) return {};  // no samples: nothing to read (e.g. a log)
  if (!(h.samprate > 0) || !std::isfinite(h.samprate)) {
    return {std::nullopt, "sample rate " + std::to_string(h.samprate)};
  }
  if (auto problem = dataAreaProblem(h)) return {std::nullopt, std::move(problem)};
  const double span = static_cast<double>(h.samplecnt) / h.samprate * kMicrosPerSecond;
  if (h.starttime >= to || static_cast<double>(h.starttime) + span <= static_cast<double>(from)) {
    return {};
  }
  return {std::move(id), std::nullopt};
}

}  // namespace

MseedFileContents decodeMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                  MicroTime from, MicroTime to, const MseedSink& sink) {
  std::string bytes;
  return decodeMseedFile(path, wanted, from, to, sink, bytes);
}

MseedFileContents decodeMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                  MicroTime from, MicroTime to, const MseedSink& sink,
                                  std::string& bytes) {
  silenceLibrary();
  MseedFileContents out;
  if (auto failure = readBytes(path, bytes)) {
    out.problems.push_back(path.string() + ": " + *failure);
    out.refused = true;
    return out;
  }
  if (isMiniSeed3(bytes)) {
    out.problems.push_back(path.string() +
                           ": miniSEED 3, which this program cannot read (SEED 2.4 records only)");
    out.refused = true;
    return out;
  }
  RecordWalk walk(path, bytes);
  if (sink.expect) {
    // Headers only: how many samples each channel's records will bring.
    std::vector<std::pair<SeedId, std::size_t>> counts;
    MseedFileContents ignored;
    ParsedRecord header;
    walk.run(ignored, [&](std::size_t offset, int length) -> std::optional<std::string> {
      if (msr_parse(bytes.data() + offset, length, &header.msr, length, 0, 0) != MS_NOERROR) {
        return std::string("header");
      }
      const WantedHeader w = wantedHeader(*header.msr, wanted, from, to);
      if (!w.id) return w.problem;
      auto it = std::find_if(counts.begin(), counts.end(),
                             [&](const auto& c) { return c.first == *w.id; });
      if (it == counts.end()) it = counts.insert(counts.end(), {*w.id, 0});
      it->second += static_cast<std::size_t>(header.msr->samplecnt);
      return std::nullopt;
    });
    if (ignored.refused) {
      out.problems = std::move(ignored.problems);
      out.refused = true;
      return out;
    }
    for (const auto& [id, count] : counts) sink.expect(id, count);
  }
  std::vector<double> samples;
  ParsedRecord header, data;
  walk.run(out, [&](std::size_t offset, int length) -> std::optional<std::string> {
    char* record = bytes.data() + offset;
    if (msr_parse(record, length, &header.msr, length, 0, 0) != MS_NOERROR) {
      return std::string("its header cannot be read");
    }
    const MSRecord& h = *header.msr;
    const WantedHeader w = wantedHeader(h, wanted, from, to);
    if (!w.id) return w.problem;
    if (msr_parse(record, length, &data.msr, length, 1, 0) != MS_NOERROR) {
      return std::string("its samples cannot be decoded");
    }
    if (data.msr->numsamples != data.msr->samplecnt) {
      return "decoded " + std::to_string(data.msr->numsamples) + " samples, the header says " +
             std::to_string(data.msr->samplecnt);
    }
    if (data.msr->sampletype == 'i' && sink.takeCounts) {
      sink.takeCounts(*w.id, h.starttime, h.samprate,
                      {static_cast<const std::int32_t*>(data.msr->datasamples),
                       static_cast<std::size_t>(data.msr->numsamples)});
      return std::nullopt;
    }
    if (!samplesOf(*data.msr, samples)) return std::string("its samples are text, not numbers");
    // A float record may hold NaN or infinity, which would spread through every spectrum and
    // sum its segments take part in.
    if (!std::all_of(samples.begin(), samples.end(), [](double v) { return std::isfinite(v); })) {
      return std::string("a sample is not a finite number");
    }
    sink.take(*w.id, h.starttime, h.samprate, samples);
    return std::nullopt;
  });
  return out;
}

MseedFileContents readMseedFile(const std::filesystem::path& path, std::span<const SeedId> wanted,
                                MicroTime from, MicroTime to) {
  std::vector<RecordPiece> pieces;
  MseedSink sink{
      .take = [&](const SeedId& id, MicroTime start, double rate, std::span<const double> samples) {
        pieces.push_back({id, start, rate, std::vector<double>(samples.begin(), samples.end())});
      }};
  MseedFileContents out = decodeMseedFile(path, wanted, from, to, sink);
  out.pieces = std::move(pieces);
  return out;
}

namespace {

// Calls `take` with the header of each record of a miniSEED 2 file, walked as decodeMseedFile
// walks it, decoding no samples; `take` returns the record's problem, if any. A file that
// cannot be read, or of miniSEED 3, has none.
template <typename Take>
void forEachRecordHeader(const std::filesystem::path& path, Take take) {
  silenceLibrary();
  std::string bytes;
  if (readBytes(path, bytes) || isMiniSeed3(bytes)) return;
  MseedFileContents ignored;
  RecordWalk walk(path, bytes);
  ParsedRecord header;
  walk.run(ignored, [&](std::size_t offset, int length) -> std::optional<std::string> {
    if (msr_parse(bytes.data() + offset, length, &header.msr, length, 0, 0) != MS_NOERROR) {
      return std::string("header");
    }
    return take(*header.msr);
  });
}

}  // namespace

std::vector<SeedId> channelsInMseedFile(const std::filesystem::path& path) {
  std::vector<SeedId> ids;
  forEachRecordHeader(path, [&](const MSRecord& h) -> std::optional<std::string> {
    if (MS_ISDATAINDICATOR(h.dataquality)) ids.push_back(idOf(h));
    return std::nullopt;
  });
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

std::vector<RecordSpan> recordSpansInMseedFile(const std::filesystem::path& path,
                                               std::span<const SeedId> wanted) {
  std::vector<RecordSpan> spans;
  forEachRecordHeader(path, [&](const MSRecord& h) -> std::optional<std::string> {
    // The window of decodeMseedFile when no span is asked for.
    const WantedHeader w = wantedHeader(h, wanted, std::numeric_limits<MicroTime>::min() / 4,
                                        std::numeric_limits<MicroTime>::max() / 4);
    if (!w.id) return w.problem;
    spans.push_back({*w.id, h.starttime,
                     static_cast<double>(h.starttime) +
                         static_cast<double>(h.samplecnt) / h.samprate * kMicrosPerSecond,
                     h.samprate});
    return std::nullopt;
  });
  return spans;
}

}  // namespace analysis::archive
