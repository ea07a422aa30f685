#pragma once
// Runs the console tool in this process, as its main does, and keeps what it printed.
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace vantrel::testing {

struct result {
  int code;
  std::string out, err;
};

inline result run_cli(std::vector<std::string> args) {
  args.insert(args.begin(), "tidewatch-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  std::ostringstream out, err;
  const int code = cli::main_with_args(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

}  // namespace vantrel::testing
