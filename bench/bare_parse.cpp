// bench_bare_parse DIR: the physical limit of a campaign's reading here, as a whole process to
// set beside psd-analyze --campaign --tree DIR --no-cache: the same files found the same way
// (analysis::listTree), each read whole into a reused buffer and every field converted with
// fast_float on two threads, nothing else done (no checks, no PSD, no bins, no tables).
// Prints files, bytes, fields and seconds.
#include <fast_float/fast_float.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "analysis/campaign/campaign_tree.h"
#include "datafiles/text_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_bare_parse DIR\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const analysis::TreeListing tree = analysis::listTree(argv[1], {});
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> bytes{0}, fields{0};
  std::atomic<double> checksum{0};
  const auto parse = [&] {
    std::string text;
    double sum = 0;
    std::uint64_t count = 0, size = 0;
    for (std::size_t i; (i = next.fetch_add(1)) < tree.entries.size();) {
      const auto& entry = tree.entries[i];
      if (datafiles::readWholeFile(entry.directory / entry.fileName, text)) continue;
      size += text.size();
      const char* p = text.data() + text.find('\n') + 1;
      const char* end = text.data() + text.size();
      while (p < end) {
        double value;
        const auto r = fast_float::from_chars(p, end, value);
        if (r.ec == std::errc()) {
          sum += value;
          ++count;
          p = r.ptr;
        }
        while (p < end && (*p == ',' || *p == '\r' || *p == '\n' || *p == ' ' || *p == '"')) ++p;
        if (r.ec != std::errc() && p < end && r.ptr == p) ++p;  // not a number: step over it
      }
    }
    bytes += size;
    fields += count;
    checksum.store(checksum.load() + sum);
  };
  {
    std::jthread other(parse);
    parse();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("files %zu bytes %llu fields %llu seconds %.3f (checksum %g)\n", tree.entries.size(),
              static_cast<unsigned long long>(bytes.load()),
              static_cast<unsigned long long>(fields.load()), seconds, checksum.load());
  return 0;
}
