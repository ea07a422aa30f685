#pragma once
// Runs the console tool's job and writes its output. Returns the exit status.
#include <iosfwd>

#include "cli/cli_options.h"

namespace vantrel::cli {

// interactive: out is a terminal, where headlines should appear as soon as they are found.
int run(const options& opts, std::ostream& out, std::ostream& err, bool interactive = false);
// Whole program: parses args (after the program name) and runs.
int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err, bool interactive = false);

}  // namespace vantrel::cli
