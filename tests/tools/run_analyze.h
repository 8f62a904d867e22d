// Runs the built psd-analyze as a whole process, for the tests of what it writes.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace tools_testing {

// Runs psd-analyze with `arguments` (a shell word list), standard error into `errors`, in the
// working directory `in` (this process's when empty); returns the exit status, or -1 when the
// process did not exit. The default cache is one of `dir`'s own (XDG_CACHE_HOME), so that what
// earlier runs, or another version of the program, left in a shared one never shows here.
inline int runAnalyze(const testing_support::TempDir& dir, const std::string& arguments,
                      std::string& errors, const std::string& in = {}) {
  const std::string command = (in.empty() ? "" : "cd " + in + " && ") +
                              "XDG_CACHE_HOME=" + (dir.path() / "cache-home").string() + " " +
                              std::string(PSD_ANALYZE) + " " + arguments + " 2>" +
                              (dir.path() / "stderr.txt").string();
  const int status = std::system(command.c_str());
  errors = dir.read("stderr.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tools_testing
