#pragma once
// Tidewatch's commands: identifiers, menu texts and the texts a command shows: the status-bar
// prompt, the tool tip and, for toolbar commands, the longer bubble help.
#include <string_view>

namespace vantrel::cmd {

// The toolkit takes identifiers below 0x7FFF only: each command keeps its documented number
// (57601, 32775, ...) and the toolkit sees it moved into that range.
constexpr int toolkit_id(int number) { return number >= 0xE000 ? number - 0xE000 + 0x100 : number - 0x7000; }

enum : int {
  open = toolkit_id(57601),
  open_url = toolkit_id(32775),
  load_parsedef = toolkit_id(32772),
  exit = toolkit_id(57665),
  clear = toolkit_id(57632),
  preferences = toolkit_id(32778),
  source = toolkit_id(32779),
  start_queue = toolkit_id(32781),
  stop = toolkit_id(32776),
  queue = toolkit_id(32777),
  help_contents = toolkit_id(32784),
  bubble_help = toolkit_id(32780),
  about = toolkit_id(57664),
  online = toolkit_id(32783),
  // Added with the headline store; numbered after the others.
  mark_all_read = toolkit_id(32790),
  find = toolkit_id(32791),
  failures = toolkit_id(32792),
  remove_headlines = toolkit_id(32793),
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
