#include "analysis/campaign/campaign_tree.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <system_error>

namespace analysis {
namespace {

namespace fs = std::filesystem;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string SpectrumFileChoice::pattern() const {
  std::string text = csw ? "*.csw" : "*.csv";
  if (component != 0) text += component;
  return text;
}

std::optional<SpectrumFileChoice> SpectrumFileChoice::fromPattern(std::string_view pattern) {
  for (const bool csw : {false, true}) {
    for (const char component : {'z', 'n', 'e', '\0'}) {
      const SpectrumFileChoice choice{component, csw};
      if (choice.pattern() == pattern) return choice;
    }
  }
  return std::nullopt;
}

bool SpectrumFileChoice::matches(std::string_view fileName) const {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = fileName.substr(dot + 1);
  const std::string_view base = csw ? "csw" : "csv";
  if (extension.size() < 3 || !equalIgnoringCase(extension.substr(0, 3), base)) return false;
  if (component == 0) return true;  // "*.csv": every extension beginning with csv
  return extension.size() == 4 && equalIgnoringCase(extension.substr(3), {&component, 1});
}

TreeListing listTree(const fs::path& root, const SpectrumFileChoice& choice) {
  TreeListing listing;
  // Directories still to list, with their path relative to the root ("" for the root).
  std::vector<std::pair<fs::path, std::string>> pending{{root, ""}};
  while (!pending.empty()) {
    auto [directory, relative] = std::move(pending.back());
    pending.pop_back();
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name.front() == '.') continue;
      const std::string path = relative.empty() ? name : relative + '/' + name;
      std::error_code statusError;
      if (it->is_symlink(statusError)) {
        // Followed only to a file: a link to a directory could lead back up the tree.
        if (it->is_regular_file(statusError) && choice.matches(name)) {
          listing.entries.push_back({directory, name, path});
        }
      } else if (it->is_directory(statusError)) {
        pending.emplace_back(it->path(), path);
      } else if (it->is_regular_file(statusError) && choice.matches(name)) {
        listing.entries.push_back({directory, name, path});
      }
    }
    if (error) {
      listing.problems.push_back(directory.string() + ": cannot be listed (" + error.message() +
                                 ")");
    }
  }
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const CampaignEntry& a, const CampaignEntry& b) {
              return a.relativePath < b.relativePath;
            });
  return listing;
}

std::vector<std::size_t> treeOrder(std::span<const CampaignFile> files,
                                   std::span<const std::optional<CivilSeconds>> starts) {
  std::vector<std::size_t> order(files.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const auto& sa = starts[a];
    const auto& sb = starts[b];
    if (sa.has_value() != sb.has_value()) return sa.has_value();
    if (sa && *sa != *sb) return *sa < *sb;
    return files[a].tableName() < files[b].tableName();
  });
  return order;
}

}  // namespace analysis
