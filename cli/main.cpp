#include <iostream>

#include "cli/cli_run.h"

int main(int argc, char** argv) { return vantrel::cli::main_with_args(argc, argv, std::cout, std::cerr); }
