#include <iostream>

#include "cli/cli_run.h"
#include "common/platform.h"

int main(int argc, char** argv) {
  return vantrel::cli::main_with_args(argc, argv, std::cout, std::cerr, vantrel::platform::stdout_is_terminal());
}
