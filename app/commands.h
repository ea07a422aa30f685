#pragma once
// Tidewatch's commands: identifiers, menu texts and the texts a command shows: the status-bar
// prompt, the tool tip and, for toolbar commands, the longer bubble help.
#include <string_view>

namespace vantrel::cmd {

enum : int {
  open = 57601,
  open_url = 32775,
  load_parsedef = 32772,
  exit = 57665,
  clear = 57632,
  preferences = 32778,
  source = 32779,
  start_queue = 32781,
  stop = 32776,
  queue = 32777,
  help_contents = 32784,
  bubble_help = 32780,
  about = 57664,
  online = 32783,
};

struct command_text {
  int id;
  std::string_view menu;
  std::string_view prompt;
  std::string_view tip;
  std::string_view bubble;  // empty for commands without a toolbar button
};

const command_text& text_of(int id);

// The maker's web site, opened by the online command.
constexpr std::string_view web_site = "https://quillon.example.org/";

}  // namespace vantrel::cmd
