#include "app/wx_support.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include "common/image_probe.h"
#include "common/text_util.h"

namespace vantrel {

namespace {

bool is_legacy_face(const std::string& face) { return face.empty() || face == legacy_default_face; }

}  // namespace

wxFont font_from_desc(const font_desc& desc) {
  wxFontInfo info(desc.size);
  info.Weight(desc.weight > 0 ? desc.weight : 400).Italic(desc.italic != 0).Underlined(desc.underline != 0);
  info.Strikethrough(desc.strike_out != 0);
  if (is_legacy_face(desc.face)) {
    info.FaceName(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName());
  } else {
    info.FaceName(to_wx(desc.face));
  }
  wxFont font(info);
  if (!font.IsOk()) font = wxFont(wxFontInfo(desc.size).Family(wxFONTFAMILY_SWISS));
  return font;
}

font_desc desc_from_font(const wxFont& font, const font_desc& base) {
  font_desc d = base;
  d.size = font.GetPointSize() > 0 ? font.GetPointSize() : base.size;
  d.weight = font.GetNumericWeight();
  d.italic = font.GetStyle() == wxFONTSTYLE_NORMAL ? 0 : 1;
  d.underline = font.GetUnderlined() ? 1 : 0;
  d.strike_out = font.GetStrikethrough() ? 1 : 0;
  const std::string face = from_wx(font.GetFaceName());
  if (!face.empty()) d.face = face;
  return d;
}

std::string font_display_text(const font_desc& desc) {
  std::string text = font_desc_display(desc);
  if (is_legacy_face(desc.face)) {
    text += " (shown as " + from_wx(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName()) + ")";
  }
  return text;
}

const wxBitmap& logo_picture::bitmap() {
  if (!bitmap_.IsOk() && image_.IsOk()) bitmap_ = wxBitmap(image_);
  return bitmap_;
}

std::unique_ptr<picture> logo_loader::load_picture(const std::string&, const std::string& picture_path) {
  // The header first: a picture that claims to be larger than a row could ever show, or is
  // not a BMP or PNG, is never decoded (a small file could claim gigabytes of pixels).
  auto bytes = read_logo_file(picture_path);
  if (!bytes) return nullptr;
  auto logo = decode_logo(*bytes);
  if (logo) logo->file_bytes = std::make_shared<const std::string>(std::move(*bytes));
  return logo;
}

std::unique_ptr<logo_picture> decode_logo(std::string_view bytes) {
  const auto header = probe_image(bytes);
  if (!fits_as_logo(header)) return nullptr;
  wxLogNull quiet;  // a broken logo only means rows without one
  wxMemoryInputStream in(bytes.data(), bytes.size());
  wxImage image;
  const wxBitmapType type = header->format == image_format::png ? wxBITMAP_TYPE_PNG : wxBITMAP_TYPE_BMP;
  if (!image.LoadFile(in, type) || !image.IsOk()) return nullptr;
  if (image.GetWidth() > max_logo_side || image.GetHeight() > max_logo_side) return nullptr;
  return std::make_unique<logo_picture>(std::move(image));
}

std::unique_ptr<picture> logo_loader::copy_picture(const picture& original) {
  const auto* logo = dynamic_cast<const logo_picture*>(&original);
  if (logo == nullptr) return nullptr;
  // A deep copy: the toolkit's reference counts are not shared between threads.
  auto copy = std::make_unique<logo_picture>(logo->image().Copy());
  copy->file_bytes = logo->file_bytes;
  return copy;
}

}  // namespace vantrel
