#pragma once
// What Tidewatch's windows share to meet the toolkit, beside the layer both programs share
// (ui/): fonts from their stored descriptions and the site logos.
#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/image.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/font_desc.h"
#include "engine/headline_item.h"
#include "engine/job_listeners.h"
#include "ui/wx_text.h"

namespace vantrel {

// The font a description names. The legacy default face, which this desktop lacks, becomes
// the desktop's own sans-serif face at the stored size.
wxFont font_from_desc(const font_desc& desc);
// The description of a font the user chose, keeping base's fields that a font here has not.
font_desc desc_from_font(const wxFont& font, const font_desc& base);
// What the dialog shows for a description: face, size, Bold, Italic, and "(shown as ...)" when
// the face stands in for one this desktop lacks.
std::string font_display_text(const font_desc& desc);

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

// A logo from the bytes of its file (as the headline store keeps them), on any thread; null for
// anything but a BMP or PNG of at most max_logo_side pixels a side.
std::unique_ptr<logo_picture> decode_logo(std::string_view bytes);

// Loads logos for the job on its worker: BMP (any header an image editor writes) and PNG, at
// most max_logo_side pixels a side by their header. Anything else gives no logo and no message.
class logo_loader : public picture_source {
 public:
  std::unique_ptr<picture> load_picture(const std::string& parsedef_path, const std::string& picture_path) override;
  std::unique_ptr<picture> copy_picture(const picture& original) override;
};

}  // namespace vantrel
