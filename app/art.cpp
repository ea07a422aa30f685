#include "app/art.h"

#include <wx/image.h>

#include <array>

#include "vantrel_icons.h"  // the installed icons, built in

namespace vantrel::art {

namespace {

// Every picture is drawn on a 16 x 16 grid with the same pen: dark outlines 1 unit wide,
// flat fills from one small palette, so the set reads as one family.
std::string svg16(const std::string& body) {
  return "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16' viewBox='0 0 16 16'>" + body + "</svg>";
}

wxBitmapBundle from_svg(const std::string& svg, int size = 16) {
  return wxBitmapBundle::FromSVG(svg.c_str(), wxSize(size, size));
}

const char* const ink = "#2b3440";

std::string tool_svg(tool which) {
  const std::string s = std::string("stroke='") + ink + "' stroke-width='1' stroke-linejoin='round' ";
  switch (which) {
    case tool::queue:  // a list of sites with check marks
      return svg16("<rect x='1.5' y='1.5' width='13' height='13' rx='1.5' fill='#ffffff' " + s +
                   "/><path d='M3.5 5l1 1 2-2M3.5 10l1 1 2-2' fill='none' stroke='#2f8f3a' stroke-width='1.3'/>"
                   "<path d='M8 5h4.5M8 10.5h4.5' " +
                   s + "/>");
    case tool::preferences:  // a cog
      return svg16(
          "<path d='M8 1.5l1.2 1.7 2-.6.4 2 2 .5-.6 2 1.5 1-1.5 1 .6 2-2 .5-.4 2-2-.6L8 14.5l-1.2-1.7-2 "
          ".6-.4-2-2-.5.6-2L1.5 8l1.5-1-.6-2 2-.5.4-2 2 .6z' fill='#9aa6b4' " +
          s + "/><circle cx='8' cy='8' r='2.2' fill='#ffffff' " + s + "/>");
    case tool::source:  // a page of markup
      return svg16("<path d='M3 1.5h7l3 3v10H3z' fill='#ffffff' " + s + "/><path d='M10 1.5v3h3' fill='none' " + s +
                   "/><path d='M7 7.5L5 9.5l2 2M9 7.5l2 2-2 2' fill='none' stroke='#2864b4' stroke-width='1.2'/>");
    case tool::start_queue:  // play
      return svg16("<path d='M4 2.5v11l9-5.5z' fill='#3aa04a' " + s + "/>");
    case tool::stop:
      return svg16("<rect x='3' y='3' width='10' height='10' rx='1.5' fill='#d24a3c' " + s + "/>");
    case tool::clear:  // an eraser
      return svg16("<path d='M2 10.5l6-6.5 6 5.5-4.5 5H5.5z' fill='#f2b8c6' " + s + "/><path d='M5 7.5l5 4.5' " + s +
                   "/><path d='M9.5 14.5H15' " + s + "/>");
    case tool::help:  // a book
      return svg16("<path d='M2.5 2.5h5l.5 1 .5-1h5v10h-5l-.5 1-.5-1h-5z' fill='#ffffff' " + s +
                   "/><path d='M8 3.5v10' " + s +
                   "/><path d='M4 5.5h2.5M4 7.5h2.5M9.5 5.5H12M9.5 7.5H12' "
                   "stroke='#2864b4'/>");
    case tool::bubble_help:  // a speech balloon with a question mark
      return svg16(
          "<path d='M2 3.5a2 2 0 0 1 2 -2h8a2 2 0 0 1 2 2v5a2 2 0 0 1 -2 2H7l-3.5 3v-3H4a2 2 0 0 1 -2 -2z' "
          "fill='#fff6b0' " +
          s +
          "/><path d='M6.5 4.8a1.6 1.6 0 1 1 3 .8c-.6.4-1.5.8-1.5 1.7' fill='none' stroke='#2864b4' "
          "stroke-width='1.3'/><circle cx='8' cy='8.8' r='.8' fill='#2864b4'/>");
    case tool::online:  // a globe
      return svg16("<circle cx='8' cy='8' r='6.5' fill='#9cc8f0' " + s +
                   "/><path d='M1.5 8h13M8 1.5c-2.5 3-2.5 10 0 13M8 1.5c2.5 3 2.5 10 0 13' fill='none' " + s + "/>");
  }
  return svg16("");
}

// The start icon of each element kind, by tag_icon number.
std::string element_svg(int index) {
  const std::string s = std::string("stroke='") + ink + "' stroke-width='1' ";
  switch (index) {
    case 1:  // font: a red letter A
      return svg16(
          "<path d='M3 14L8 2l5 12M5 10h6' fill='none' stroke='#d02a1e' stroke-width='2' "
          "stroke-linejoin='round'/>");
    case 2:  // other elements: an angle bracket pointing left
      return svg16(
          "<path d='M11 2.5L4.5 8l6.5 5.5' fill='none' stroke='#2864b4' stroke-width='2' "
          "stroke-linejoin='round'/>");
    case 3:  // and one pointing right (the end of any other element)
      return svg16(
          "<path d='M5 2.5L11.5 8 5 13.5' fill='none' stroke='#2864b4' stroke-width='2' "
          "stroke-linejoin='round'/>");
    case 4:  // table: a grid
      return svg16("<rect x='1.5' y='2.5' width='13' height='11' fill='#ffffff' " + s +
                   "/><rect x='1.5' y='2.5' width='13' height='3' fill='#9cc8f0' " + s +
                   "/><path d='M1.5 9.5h13M6 2.5v11M10.5 2.5v11' " + s + "/>");
    case 6:  // a: a globe
      return tool_svg(tool::online);
    case 8:  // img: a picture
      return svg16("<rect x='1.5' y='2.5' width='13' height='11' fill='#dff0ff' " + s +
                   "/><path d='M2 13l4-5 3 3 2-2 3.5 4z' fill='#3aa04a'/><circle cx='11' cy='5.5' r='1.5' "
                   "fill='#f0c020'/>");
    case 11:  // script: a scroll
      return svg16("<path d='M4 2.5h9v9a2 2 0 0 1 -2 2H3.5a1.5 1.5 0 0 1 0 -3H4z' fill='#f4e2b0' " + s +
                   "/><path d='M6 5.5h5M6 7.5h5' " + s + "/>");
    case 13:  // meta: a framed square
      return svg16("<rect x='1.5' y='1.5' width='13' height='13' fill='#ffffff' " + s +
                   "/><rect x='4.5' y='4.5' width='7' height='7' fill='#9aa6b4' " + s + "/>");
    case 15:  // html: an application window
      return svg16("<rect x='1.5' y='2.5' width='13' height='11' fill='#ffffff' " + s +
                   "/><rect x='1.5' y='2.5' width='13' height='3' fill='#2864b4' " + s + "/>");
    case 17:  // head: a face
      return svg16("<circle cx='8' cy='8' r='6.5' fill='#f8d66a' " + s +
                   "/><circle cx='5.8' cy='6.5' r='.9' fill='#2b3440'/><circle cx='10.2' cy='6.5' r='.9' "
                   "fill='#2b3440'/><path d='M5.2 9.8c1.5 1.8 4.1 1.8 5.6 0' fill='none' " +
                   s + "/>");
    case 19:  // body: a page
      return svg16("<path d='M3 1.5h7l3 3v10H3z' fill='#ffffff' " + s + "/><path d='M10 1.5v3h3' fill='none' " + s +
                   "/><path d='M5 7.5h6M5 9.5h6M5 11.5h4' " + s + "/>");
    default:  // 0: the blot
      return svg16("<circle cx='8' cy='8' r='5' fill='#000000'/>");
  }
}

// The start icon whose greyed copy an end icon is.
int start_of(int index) {
  static constexpr std::array<int, element_icon_count> start = {0,  1,  2,  3,  4,  4,  6,  6,  8,  8, 1,
                                                                11, 11, 13, 13, 15, 15, 17, 17, 19, 19};
  return start[static_cast<size_t>(index)];
}

bool is_end_icon(int index) {
  for (int end : {3, 5, 7, 9, 10, 12, 14, 16, 18, 20}) {
    if (index == end) return true;
  }
  return false;
}

wxBitmap greyed(const wxBitmap& bitmap) {
  return wxBitmap(bitmap.ConvertToImage().ConvertToGreyscale().ChangeLightness(150), -1, bitmap.GetScaleFactor());
}

}  // namespace

wxBitmapBundle tool_icon(tool which) { return from_svg(tool_svg(which)); }

wxBitmapBundle element_icon(int index) {
  if (index < 0 || index >= element_icon_count) index = 0;
  const wxBitmapBundle start = from_svg(element_svg(start_of(index)));
  if (!is_end_icon(index)) return start;
  // The greyed copies are made at the sizes a list draws at: normal and doubled.
  wxVector<wxBitmap> sizes;
  sizes.push_back(greyed(start.GetBitmap(wxSize(16, 16))));
  sizes.push_back(greyed(start.GetBitmap(wxSize(32, 32))));
  return wxBitmapBundle::FromBitmaps(sizes);
}

wxBitmapBundle page_icon(page which) {
  switch (which) {
    case page::folders:
      return from_svg(svg16(std::string("<path d='M1.5 3.5h5l1.5 1.5h6.5v8.5h-13z' fill='#f0c85a' stroke='") + ink +
                            "' stroke-linejoin='round'/>"),
                      32);
    case page::debug:
      return from_svg(svg16(std::string("<ellipse cx='8' cy='9' rx='3.5' ry='4.5' fill='#d24a3c' stroke='") + ink +
                            "'/><path d='M8 4.5v9M2 6l2.5 1.5M14 6l-2.5 1.5M2 12l2.5-1.5M14 12l-2.5-1.5M6 3l1 "
                            "1.5M10 3L9 4.5' fill='none' stroke='" +
                            ink + "'/>"),
                      32);
    case page::reading:  // a page of headlines with a new mark
      return from_svg(svg16(std::string("<path d='M2.5 1.5h11v13h-11z' fill='#ffffff' stroke='") + ink +
                            "' stroke-linejoin='round'/><path d='M7 4.5h5M7 8h5M7 11.5h5' stroke='" + ink +
                            "'/><circle cx='4.5' cy='4.5' r='1.3' fill='#ff7800'/>"),
                      32);
    case page::fonts:
      return from_svg(svg16(std::string("<path d='M2 13.5L6 2.5h1l4 11M3.5 9.5h6' fill='none' stroke='") + ink +
                            "' stroke-width='1.5'/><path d='M10 13.5l2.2-6h.6l2.2 6M10.8 11.5h3.4' fill='none' "
                            "stroke='#2864b4' stroke-width='1.2'/>"),
                      32);
  }
  return {};
}

wxBitmapBundle run_icon(run_state which) {
  const std::string rim = std::string("stroke='") + ink + "' stroke-width='1'";
  switch (which) {
    case run_state::never:
      return from_svg(svg16("<circle cx='8' cy='8' r='5.5' fill='none' stroke='#9aa6b4' stroke-width='1.2'/>"));
    case run_state::headlines:
      return from_svg(svg16("<circle cx='8' cy='8' r='6.5' fill='#3aa04a' " + rim +
                            "/><path d='M4.8 8.2l2.2 2.2 4.2-4.6' fill='none' stroke='#ffffff' stroke-width='1.8'/>"));
    case run_state::unchanged:
      return from_svg(svg16("<circle cx='8' cy='8' r='6.5' fill='#5b8fd6' " + rim +
                            "/><path d='M5 6.8h6M5 9.4h6' stroke='#ffffff' stroke-width='1.5'/>"));
    case run_state::nothing:
      return from_svg(svg16("<path d='M8 1.5l6.8 12.5H1.2z' fill='#f0b429' " + rim +
                            " stroke-linejoin='round'/><path d='M8 5.5v4.5' stroke='" + ink +
                            "' stroke-width='1.6'/><circle cx='8' cy='12' r='.9' fill='" + ink + "'/>"));
    case run_state::failed:
      return from_svg(svg16("<circle cx='8' cy='8' r='6.5' fill='#d24a3c' " + rim +
                            "/><path d='M5.5 5.5l5 5M10.5 5.5l-5 5' stroke='#ffffff' stroke-width='1.8'/>"));
  }
  return {};
}

const std::string& program_svg() {
  static const std::string svg = vantrel_program_svg;
  return svg;
}

const std::string& parsedef_file_svg() {
  static const std::string svg = vantrel_parsedef_file_svg;
  return svg;
}

}  // namespace vantrel::art
