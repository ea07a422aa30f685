#pragma once
// What the windows share to meet the toolkit: the facade that carries a worker's tasks to the
// user-interface thread, text conversion, fonts from their stored descriptions, opening links
// and the site logos.
#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/string.h>

#include <functional>
#include <memory>
#include <string>

#include "common/font_desc.h"
#include "engine/headline_item.h"
#include "engine/job_listeners.h"
#include "engine/ui_dispatcher.h"

namespace vantrel {

// Tasks go to the application's "call after" queue, which the event loop runs in order.
class wx_dispatcher : public ui_dispatcher {
 public:
  bool post(std::function<void()> task) override;
};

// Texts stay UTF-8 everywhere but at the toolkit's edge.
inline wxString to_wx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }
inline std::string from_wx(const wxString& text) { return std::string(text.utf8_str()); }

// The font a description names. The legacy default face, which this desktop lacks, becomes
// the desktop's own sans-serif face at the stored size.
wxFont font_from_desc(const font_desc& desc);
// The description of a font the user chose, keeping base's fields that a font here has not.
font_desc desc_from_font(const wxFont& font, const font_desc& base);
// What the dialog shows for a description: face, size, Bold, Italic, and "(shown as ...)" when
// the face stands in for one this desktop lacks.
std::string font_display_text(const font_desc& desc);

// Opens a link in the user's browser: only http, https, ftp and mailto addresses; false when
// refused or when no browser could be started (no message: the caller decides).
bool shell_open(const std::string& link);

// A site logo: decoded anywhere, turned into a bitmap on the user-interface thread when first
// drawn (bitmaps belong to that thread alone).
class logo_picture : public picture {
 public:
  explicit logo_picture(wxImage image) : image_(std::move(image)) {}
  int width() const { return image_.GetWidth(); }
  int height() const { return image_.GetHeight(); }
  const wxImage& image() const { return image_; }
  // REQUIRES: the user-interface thread.
  const wxBitmap& bitmap();

 private:
  wxImage image_;
  wxBitmap bitmap_;
};

// Loads logos for the job on its worker: BMP (any header an image editor writes) and PNG, at
// most max_logo_side pixels a side by their header. Anything else gives no logo and no message.
class logo_loader : public picture_source {
 public:
  std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& picture_path) override;
  std::unique_ptr<picture> copy_picture(const picture& original) override;
};

}  // namespace vantrel
