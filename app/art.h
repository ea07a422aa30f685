#pragma once
// Tidewatch's pictures, drawn as SVG so they stay crisp at any scale: the toolbar set, the
// Parsed Source window's element icons, the preferences pages' icons and the program's own.
#include <wx/bmpbndl.h>

#include <string>

namespace vantrel::art {

enum class tool { queue, preferences, source, start_queue, stop, clear, help, bubble_help, online };
wxBitmapBundle tool_icon(tool which);

// The 21 element icons of the Parsed Source window, by tag_icon number (0 is a black blot that
// no element gets; each end icon is a greyed copy of its start icon).
wxBitmapBundle element_icon(int index);
constexpr int element_icon_count = 21;

enum class page { folders, debug, fonts, reading };
wxBitmapBundle page_icon(page which);

// How a queued site's last run ended, for the Site Selector: never ran (an empty ring), found
// headlines (a green tick), unchanged (a blue ring), found nothing (an amber "!"), failed (a
// red cross). Shapes differ as well as colours.
enum class run_state { never, headlines, unchanged, nothing, failed };
wxBitmapBundle run_icon(run_state which);

// The program's icon and the ParseDef file type's icon, as SVG text (also installed).
const std::string& program_svg();
const std::string& parsedef_file_svg();

}  // namespace vantrel::art
