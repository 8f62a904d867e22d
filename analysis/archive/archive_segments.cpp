#include "analysis/archive/archive_segments.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <span>
#include <stop_token>
#include <system_error>
#include <thread>
#include <variant>

#include "analysis/archive/continuous_trace.h"
#include "analysis/archive/mseed_file.h"
#include "analysis/archive/sds_layout.h"
#include "analysis/archive/segment_spectrum.h"

namespace analysis::archive {
namespace {

namespace fs = std::filesystem;

constexpr MicroTime kEarliest = std::numeric_limits<MicroTime>::min() / 4;
constexpr MicroTime kLatest = std::numeric_limits<MicroTime>::max() / 4;

// A batch of files after whose reading every sample before `completeBefore` is known.
// An SDS chunk also names each file's channel (0 or 1), which its name promises.
struct Chunk {
  std::vector<fs::path> files;
  MicroTime completeBefore = kLatest;
  std::vector<std::size_t> channels;  // of each file; empty: not known
};

MicroTime micros(double seconds) {
  return std::llround(seconds * kMicrosPerSecond);
}

// A segment's samples of one channel: integer counts or doubles, as its traces hold them.
using Samples = std::variant<std::span<const std::int32_t>, std::span<const double>>;

// A channel's traces: integer counts while every record has brought integers (half the memory
// and the memory traffic of doubles, for the day held and for each segment's pass over it), as
// doubles from the first record that brought doubles on (the counts converted then, once).
class ChannelTraces {
 public:
  bool empty() const { return inDoubles_ ? doubles_.empty() : counts_.empty(); }
  std::size_t traceCount() const { return inDoubles_ ? doubles_.size() : counts_.size(); }
  MicroTime firstStart() const {
    return inDoubles_ ? doubles_.front().start : counts_.front().start;
  }
  double firstRate() const { return inDoubles_ ? doubles_.front().rate : counts_.front().rate; }
  std::size_t lastSize() const {
    if (empty()) return 0;
    return inDoubles_ ? doubles_.back().samples.size() : counts_.back().samples.size();
  }

  void append(MicroTime start, double rate, std::span<const std::int32_t> counts,
              std::size_t& reserve) {
    if (inDoubles_) {
      appendRecord(doubles_, start, rate, counts, reserve);
    } else {
      appendRecord(counts_, start, rate, counts, reserve);
    }
  }
  void append(MicroTime start, double rate, std::span<const double> samples, std::size_t& reserve) {
    if (!inDoubles_) {
      for (CountTrace& trace : counts_) {
        doubles_.push_back({trace.start, trace.rate, {trace.samples.begin(), trace.samples.end()}});
      }
      counts_.clear();
      inDoubles_ = true;
    }
    appendRecord(doubles_, start, rate, samples, reserve);
  }
  // Back to `traces` traces, the last of `last` samples (what they were before a failed read).
  void truncate(std::size_t traces, std::size_t last) {
    const auto cut = [&](auto& all) {
      all.resize(traces);
      if (!all.empty()) all.back().samples.resize(last);
    };
    if (inDoubles_) {
      cut(doubles_);
    } else {
      cut(counts_);
    }
  }
  void join() {
    counts_ = joinTraces(std::move(counts_));
    doubles_ = joinTraces(std::move(doubles_));
  }
  std::optional<Samples> from(MicroTime t, std::size_t count, double rate) const {
    if (inDoubles_) {
      if (auto s = samplesFrom(doubles_, t, count, rate)) return Samples(*s);
    } else if (auto s = samplesFrom(counts_, t, count, rate)) {
      return Samples(*s);
    }
    return std::nullopt;
  }
  void dropBefore(MicroTime t) {
    archive::dropBefore(counts_, t);
    archive::dropBefore(doubles_, t);
  }
  double latestEnd() const {
    double end = 0;
    for (const auto& trace : counts_) end = std::max(end, trace.nextDue());
    for (const auto& trace : doubles_) end = std::max(end, trace.nextDue());
    return end;
  }

 private:
  std::vector<CountTrace> counts_;
  std::vector<Trace> doubles_;
  bool inDoubles_ = false;
};

// A complete segment waiting for its record: its samples (views into the traces, valid until
// the cut ends) and responses.
struct PendingSegment {
  MicroTime start = 0;
  Samples samples1;
  std::optional<Samples> samples2;
  const InstrumentResponse* response1 = nullptr;
  const InstrumentResponse* response2 = nullptr;
};

// What one thread needs to turn a segment into a record: its own FFTW plans (a plan is
// executed by one thread only) and its own record.
struct SegmentWorker {
  SegmentSpectrum spectrumOf;
  SegmentRecord record;
  std::size_t linesCount = 0;  // the grid record.spectrum.freq holds
  double linesSeconds = 0;
};

unsigned threadsOf(unsigned asked) {
  return asked > 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

class SegmentCutter {
 public:
  SegmentCutter(const ArchiveRequest& request, const ResponseSet& responses,
                const SegmentWork& work, ArchiveReport& report)
      : request_(request),
        responses_(responses),
        work_(work),
        report_(report),
        workers_(threadsOf(work.threads)) {
    ids_.push_back(request.channel1);
    if (request.channel2) ids_.push_back(*request.channel2);
    for (auto& worker : workers_) worker = std::make_unique<SegmentWorker>();
  }

  // Reads a chunk and cuts what it completes. Returns false when the run ends here.
  bool readChunk(const Chunk& chunk, MicroTime windowFrom, MicroTime windowTo) {
    std::vector<MseedFileContents> contents;
    if (!readChannelFilesAtOnce(chunk, windowFrom, windowTo, contents)) {
      contents = readFilesInTurn(chunk, windowFrom, windowTo);
    }
    for (std::size_t i = 0; i < chunk.files.size(); ++i) {
      report_.filesRead.push_back(chunk.files[i]);
      report_.problems.insert(report_.problems.end(), contents[i].problems.begin(),
                              contents[i].problems.end());
    }
    channels_[0].join();
    channels_[1].join();
    return establishLayout() && cut(chunk.completeBefore);
  }

  // The day files of the two channels decoded at once, each on a thread of its own appending
  // to its channel's traces only. The traces are then what reading the files in turn gives,
  // as long as each file holds only its own channel; when one holds the other's records too,
  // the traces are put back as they were and false returned (the files are then read in turn).
  bool readChannelFilesAtOnce(const Chunk& chunk, MicroTime windowFrom, MicroTime windowTo,
                              std::vector<MseedFileContents>& contents) {
    if (workers_.size() < 2 || chunk.files.size() != 2 || chunk.channels.size() != 2 ||
        chunk.channels[0] == chunk.channels[1] || ids_.size() != 2 || ids_[0] == ids_[1]) {
      return false;
    }
    std::array<std::size_t, 2> kept{}, keptLast{};
    for (std::size_t c = 0; c < 2; ++c) {
      kept[c] = channels_[c].traceCount();
      keptLast[c] = channels_[c].lastSize();
    }
    contents.resize(2);
    // A file holding the other channel's records stops both: they are read again in turn.
    std::atomic<bool> mixed = false;
    std::stop_source mixedFound;
    const auto decode = [&](std::stop_token stop, std::size_t file) {
      const std::size_t channel = chunk.channels[file];
      const SeedId& own = ids_[channel];
      std::size_t reserve = 0;
      const auto appendOwn = [&](const SeedId& id, MicroTime start, double rate, auto samples) {
        if (id != own) {
          mixed = true;
          mixedFound.request_stop();
        } else if (!stop.stop_requested()) {
          channels_[channel].append(start, rate, samples, reserve);
        }
      };
      const MseedSink sink{
          .expect =
              [&](const SeedId& id, std::size_t count) {
                if (id == own) reserve = count;
              },
          .take = [&](const SeedId& id, MicroTime start, double rate,
                      std::span<const double> samples) { appendOwn(id, start, rate, samples); },
          .takeCounts =
              [&](const SeedId& id, MicroTime start, double rate,
                  std::span<const std::int32_t> counts) { appendOwn(id, start, rate, counts); }};
      contents[file] =
          decodeMseedFile(chunk.files[file], ids_, windowFrom, windowTo, sink, fileBytes_[file]);
    };
    {
      const std::jthread second(decode, mixedFound.get_token(), 1);
      decode(mixedFound.get_token(), 0);
    }
    if (!mixed) return true;
    for (std::size_t c = 0; c < 2; ++c) channels_[c].truncate(kept[c], keptLast[c]);
    contents.clear();
    return false;
  }

  // The chunk's files read one after another, in order.
  std::vector<MseedFileContents> readFilesInTurn(const Chunk& chunk, MicroTime windowFrom,
                                                 MicroTime windowTo) {
    // Records are appended to the traces as they are decoded, each trace reserved once for the
    // samples its file brings: a day is held once, never as pieces and traces together.
    std::size_t reserve1 = 0, reserve2 = 0;
    const auto append = [&](const SeedId& id, MicroTime start, double rate, auto samples) {
      const bool first = id == request_.channel1;
      channels_[first ? 0 : 1].append(start, rate, samples, first ? reserve1 : reserve2);
    };
    const MseedSink sink{
        .expect =
            [&](const SeedId& id, std::size_t count) {
              (id == request_.channel1 ? reserve1 : reserve2) = count;
            },
        .take = [&](const SeedId& id, MicroTime start, double rate,
                    std::span<const double> samples) { append(id, start, rate, samples); },
        .takeCounts =
            [&](const SeedId& id, MicroTime start, double rate,
                std::span<const std::int32_t> counts) { append(id, start, rate, counts); }};
    std::vector<MseedFileContents> contents;
    for (const fs::path& file : chunk.files) {
      contents.push_back(decodeMseedFile(file, ids_, windowFrom, windowTo, sink, fileBytes_[0]));
    }
    return contents;
  }

  // The first and last segment index of the span, once the layout is known.
  void setSpan(std::optional<MicroTime> from, std::optional<MicroTime> to) {
    from_ = from;
    to_ = to;
  }
  bool hasLayout() const { return layout_.has_value(); }

 private:
  bool establishLayout() {
    if (layout_ || channels_[0].empty()) return true;
    const double rate = channels_[0].firstRate();
    if (!channels_[1].empty() && !ratesMatch(rate, channels_[1].firstRate())) {
      report_.refusal = request_.channel1.text() + " records " + std::to_string(rate) +
                        " samples/s, " + request_.channel2->text() + " " +
                        std::to_string(channels_[1].firstRate()) +
                        ": channels of different sample rates are not taken together "
                        "(no resampling)";
      report_.usageError = true;
      return false;
    }
    auto layout = layoutFor(request_.grid, rate);
    if (auto* why = std::get_if<std::string>(&layout)) {
      report_.refusal = *why;
      report_.usageError = true;
      return false;
    }
    layout_ = std::get<SegmentLayout>(layout);
    return true;
  }

  bool cut(MicroTime completeBefore) {
    if (!layout_) return true;
    const SegmentLayout& layout = *layout_;
    const MicroTime length = micros(layout.recordSeconds());
    if (!nextK_) {
      MicroTime from = kLatest;
      for (const ChannelTraces& channel : channels_) {
        if (!channel.empty()) from = std::min(from, channel.firstStart());
      }
      nextK_ = layout.firstAtOrAfter(from_.value_or(from));
    }
    const std::int64_t lastK =
        to_ ? layout.lastAtOrBefore(*to_) : std::numeric_limits<std::int64_t>::max();
    while (*nextK_ <= lastK && layout.startOf(*nextK_) + length <= completeBefore) {
      const MicroTime t = layout.startOf(*nextK_);
      const auto s1 = channels_[0].from(t, layout.samples, layout.rate);
      const auto s2 = request_.channel2 ? channels_[1].from(t, layout.samples, layout.rate)
                                        : std::optional<Samples>();
      if (s1 && (!request_.channel2 || s2)) {
        if (!queue(t, *s1, s2)) return false;
      } else if (to_ || completeBefore < kLatest ||
                 static_cast<double>(t + length) <= latestEnd() + 0.5e6 / layout.rate) {
        ++report_.leftOut;
      } else {
        break;  // past the end of the data, with no end asked for
      }
      ++*nextK_;
    }
    if (!flush()) return false;
    const MicroTime keepFrom = layout.startOf(*nextK_);
    channels_[0].dropBefore(keepFrom);
    channels_[1].dropBefore(keepFrom);
    return *nextK_ <= lastK;
  }

  // When the sample after the latest one read is due (the end of the data).
  double latestEnd() const {
    double end = 0;
    for (const ChannelTraces& channel : channels_) end = std::max(end, channel.latestEnd());
    return end;
  }

  const InstrumentResponse* responseOf(const SeedId& id, MicroTime t) {
    const ResponseEpoch* epoch = responses_.find(id, t);
    if (!epoch) {
      report_.refusal = id.text() + ": no instrument response for " + isoUtcMillis(t) +
                        " (give --response or --sensitivity): no PSD is drawn in counts";
    }
    return epoch ? &epoch->response : nullptr;
  }

  // Adds a segment to the block, computing the block once it is full. False when the run ends:
  // a missing response (after the segments before it are taken) or `take` stopping it.
  bool queue(MicroTime t, const Samples& s1, const std::optional<Samples>& s2) {
    const InstrumentResponse* r1 = responseOf(request_.channel1, t);
    const InstrumentResponse* r2 = s2 ? responseOf(*request_.channel2, t) : nullptr;
    if (!r1 || (s2 && !r2)) {
      flush();
      return false;
    }
    pending_.push_back({t, s1, s2, r1, r2});
    return pending_.size() < std::max<std::size_t>(workers_.size(), work_.block) || flush();
  }

  // Computes the block's records on this thread and up to one helper per other worker, each
  // taking the next segment not yet begun, then takes them in order.
  bool flush() {
    if (pending_.empty()) return true;
    {
      std::atomic<std::size_t> next = 0;
      const auto compute = [&](std::size_t worker) {
        for (std::size_t slot = next++; slot < pending_.size(); slot = next++) {
          computeSlot(slot, *workers_[worker]);
        }
      };
      std::vector<std::jthread> helpers;
      for (std::size_t worker = 1; worker < std::min(workers_.size(), pending_.size()); ++worker) {
        helpers.emplace_back(compute, worker);
      }
      compute(0);
    }  // the helpers are joined here
    const std::size_t count = pending_.size();
    pending_.clear();
    for (std::size_t slot = 0; slot < count; ++slot) {
      ++report_.segments;
      if (!work_.take(slot)) return false;
    }
    return true;
  }

  void computeSlot(std::size_t slot, SegmentWorker& worker) {
    fillRecord(pending_[slot], worker);
    work_.reduce(worker.record, slot);
  }

  void fillRecord(const PendingSegment& segment, SegmentWorker& worker) const {
    const MicroTime t = segment.start;
    const Samples& s1 = segment.samples1;
    const auto& s2 = segment.samples2;
    const InstrumentResponse* r1 = segment.response1;
    const InstrumentResponse* r2 = segment.response2;
    const SegmentLayout& layout = *layout_;
    SegmentRecord& record = worker.record;
    record.name = segmentName(request_.channel1, request_.channel2, t);
    record.start = t;
    record.samples = static_cast<std::int32_t>(layout.samples);
    record.rate = layout.rate;
    record.seconds = layout.recordSeconds();
    datafiles::SpectrumRecords& spectrum = record.spectrum;
    spectrum.twoChannels = s2.has_value();
    spectrum.header = spectrum.twoChannels ? R"x("f(Hz)","ft1re","ft1im","ft2re","ft2im")x"
                                           : R"x("f(Hz)","ft1re","ft1im")x";
    spectrum.count = layout.samples / 2 + 1;
    // The coefficients go straight into the record; its lines are written only when the grid
    // differs from the worker's segment before (the same for every segment of a run).
    const std::size_t count = spectrum.count;
    if (worker.linesCount != count || worker.linesSeconds != record.seconds) {
      for (std::size_t k = 0; k < count; ++k) {
        spectrum.freq[k] = static_cast<double>(k) / record.seconds;
      }
      worker.linesCount = count;
      worker.linesSeconds = record.seconds;
    }
    std::visit(
        [&](auto samples) {
          worker.spectrumOf.coefficients(samples, layout.rate, *r1,
                                         std::span(spectrum.re1).first(count),
                                         std::span(spectrum.im1).first(count));
        },
        s1);
    if (!s2) {
      std::fill_n(spectrum.re2.begin(), count, 0.0);
      std::fill_n(spectrum.im2.begin(), count, 0.0);
    }
    record.raw1.clear();
    record.raw2.clear();
    // Raw samples: divided by the sensitivity only, in mum/s (segment_record.h).
    const auto raw = [&](const Samples& samples, const InstrumentResponse& response,
                         std::vector<double>& into) {
      into.resize(layout.samples);
      std::visit(
          [&](auto counts) {
            for (std::size_t i = 0; i < layout.samples; ++i) {
              into[i] = static_cast<double>(counts[i]) / response.sensitivity * 1e6;
            }
          },
          samples);
    };
    if (work_.rawSamples) raw(s1, *r1, record.raw1);
    if (s2) {
      std::visit(
          [&](auto samples) {
            worker.spectrumOf.coefficients(samples, layout.rate, *r2,
                                           std::span(spectrum.re2).first(count),
                                           std::span(spectrum.im2).first(count));
          },
          *s2);
      if (work_.rawSamples) raw(*s2, *r2, record.raw2);
    }
  }

  const ArchiveRequest& request_;
  const ResponseSet& responses_;
  const SegmentWork& work_;
  ArchiveReport& report_;
  std::vector<SeedId> ids_;
  std::array<ChannelTraces, 2> channels_;
  std::optional<SegmentLayout> layout_;
  std::optional<MicroTime> from_, to_;
  std::optional<std::int64_t> nextK_;
  std::vector<std::unique_ptr<SegmentWorker>> workers_;
  std::vector<PendingSegment> pending_;
  std::array<std::string, 2> fileBytes_;  // the day files' bytes, one buffer per decoding thread
};

// The day chunks of an SDS span: the day before the first, then each day to the last.
std::vector<Chunk> sdsChunks(const ArchiveRequest& request, const std::vector<SeedId>& ids,
                             ArchiveReport& report) {
  std::vector<std::int64_t> days;
  for (const SeedId& id : ids) {
    const auto present = sdsDaysPresent(request.sdsRoot, id);
    if (present.empty()) {
      report.refusal = request.sdsRoot.string() + ": no day files of " + id.text();
      return {};
    }
    days.insert(days.end(), present.begin(), present.end());
  }
  std::sort(days.begin(), days.end());
  const std::int64_t firstDay = request.from ? dayNumberOf(*request.from) : days.front();
  // The last segment ends at most a segment's length (and a sample) after TO.
  const std::int64_t lastDay =
      request.to ? dayNumberOf(*request.to + micros(request.grid.seconds + 1)) : days.back();
  std::vector<Chunk> chunks;
  for (std::int64_t day = firstDay - 1; day <= lastDay; ++day) {
    Chunk chunk{{}, (day + 1) * kMicrosPerDay};
    for (const SeedId& id : ids) {
      const fs::path file = sdsDayFile(request.sdsRoot, id, day);
      if (std::binary_search(days.begin(), days.end(), day) && fs::exists(file)) {
        chunk.files.push_back(file);
        chunk.channels.push_back(static_cast<std::size_t>(&id - ids.data()));
      }
    }
    chunks.push_back(std::move(chunk));
  }
  if (!request.to) chunks.back().completeBefore = kLatest;
  return chunks;
}

}  // namespace

std::vector<fs::path> mseedFilesOf(const std::vector<fs::path>& paths) {
  std::vector<fs::path> files;
  for (const fs::path& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      files.push_back(path);
      continue;
    }
    std::vector<fs::path> inside;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
      if (it->is_regular_file(error)) inside.push_back(it->path());
    }
    std::sort(inside.begin(), inside.end());
    files.insert(files.end(), inside.begin(), inside.end());
  }
  return files;
}

std::string segmentName(const SeedId& channel1, const std::optional<SeedId>& channel2,
                        MicroTime start) {
  return channel1.text() + (channel2 ? "+" + channel2->text() : "") + "@" + isoUtcMillis(start);
}

ArchiveReport forEachSegment(const ArchiveRequest& request, const ResponseSet& responses,
                             const std::function<bool(const SegmentRecord&)>& take) {
  // One thread: the record of the only slot is still there when it is taken.
  const SegmentRecord* last = nullptr;
  const SegmentWork work{
      .threads = 1,
      .reduce = [&](const SegmentRecord& record, std::size_t) { last = &record; },
      .take = [&](std::size_t) { return take(*last); }};
  return forEachSegment(request, responses, work);
}

ArchiveReport forEachSegment(const ArchiveRequest& request, const ResponseSet& responses,
                             const SegmentWork& work) {
  ArchiveReport report;
  std::vector<SeedId> ids{request.channel1};
  if (request.channel2) ids.push_back(*request.channel2);
  for (const SeedId& id : ids) {
    if (!responses.find(id, request.from.value_or(0)) && !responses.covers(id)) {
      report.refusal = id.text() +
                       ": no instrument response (give --response or "
                       "--sensitivity): no PSD is drawn in counts";
      return report;
    }
  }
  std::vector<Chunk> chunks;
  if (!request.mseedPaths.empty()) {
    chunks.push_back({mseedFilesOf(request.mseedPaths), kLatest});
  } else {
    chunks = sdsChunks(request, ids, report);
    if (!report.refusal.empty()) return report;
  }
  const MicroTime windowFrom = request.from ? *request.from - kMicrosPerSecond : kEarliest;
  const MicroTime windowTo = request.to ? *request.to + micros(request.grid.seconds + 1) : kLatest;
  SegmentCutter cutter(request, responses, work, report);
  cutter.setSpan(request.from, request.to);
  for (const Chunk& chunk : chunks) {
    if (!cutter.readChunk(chunk, windowFrom, windowTo)) break;
  }
  if (report.refusal.empty() && !cutter.hasLayout()) {
    report.refusal = "no samples of " + request.channel1.text() + " in the span read";
    report.noSamples = true;
  }
  return report;
}

}  // namespace analysis::archive
