#pragma once
// Runs the console tool's job and writes its output. Returns the exit status.
#include <iosfwd>

#include "cli/cli_options.h"

namespace vantrel::cli {

int run(const options& opts, std::ostream& out, std::ostream& err);
// Whole program: parses args (without the program name) and runs.
int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace vantrel::cli
