#include "app/commands.h"

#include <array>

namespace vantrel::cmd {

namespace {

constexpr std::array<command_text, 18> table = {{
    {open, "&Open...", "Load a local HTML or XML source document and process it", "Open", ""},
    {open_url, "Open &URL...", "Opens a document at URL and parses it", "Open URL", ""},
    {load_parsedef, "Load &ParseDef...", "Load parsing rules from a XML file", "Load parser", ""},
    {exit, "E&xit\tCtrl+Q", "Quit the application; prompts to save documents", "Exit", ""},
    {clear, "&Clear", "Remove all headlines", "Clear",
     "To remove all headlines from the main program window, click this button."},
    {preferences, "Preferences...", "Opens Preferences dialog to edit program settings", "Preferences",
     "To edit program preferences, click this button."},
    {source, "&Source", "Shows or hides parsed source window", "View source",
     "To show/hide parsed source popup window, useful for parser design, click this button."},
    {start_queue, "Start &queue\tF5", "Starts site queue processing", "Start queue",
     "To start queue processing and retrieve headlines from the sites you have selected, click this button."},
    {stop, "&Stop", "Stops data retrieval currently in progress", "Stop",
     "To stop activity currently in progress (site retrieval or queue processing), click this button."},
    {queue, "&Queue...", "Opens site selector popup window", "Sites",
     "To view available sites and add/remove them from/to site queue, click this button."},
    {help_contents, "&Contents", "Shows the contents of the online help", "Help Contents",
     "To display Vantrel online help contents, press this button."},
    {bubble_help, "&Bubble Help", "Toggles on/off Bubble Help feature", "Bubble Help",
     "To switch Bubble Help off, click this button."},
    {about, "&About...", "Display program information, version number and copyright", "About",
     "To view program information, version, and copyright, click this button."},
    {online, "Quillon Online", "Launches web browser to surf to Quillon web site", "Quillon Online",
     "To launch your web browser and surf to Quillon web site, click this button."},
    {mark_all_read, "Mark All &Read\tCtrl+M", "Marks every headline read", "Mark all read",
     "To mark every headline read, so only the ones that come next stand out, click this button."},
    {find, "&Filter Headlines\tCtrl+F", "Narrows the list to the headlines that hold a text", "Filter", ""},
    {failures, "Last Run's &Problems...", "Lists the sites whose last run failed or found nothing", "Problems", ""},
    {remove_headlines, "&Remove Headlines...",
     "Removes the selected headline's site from the list and its headlines from the store", "Remove headlines", ""},
}};

}  // namespace

const command_text& text_of(int id) {
  for (const auto& t : table) {
    if (t.id == id) return t;
  }
  static constexpr command_text none{0, "", "", "", ""};
  return none;
}

}  // namespace vantrel::cmd
