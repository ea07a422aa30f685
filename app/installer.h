#pragma once
// Installing a ParseDef package into the library: copied under its category, replacing an
// older version (a newer or equal one only when the user says so), optionally put into the
// site queue. Without a toolkit: questions and messages go through install_ui.
#include <functional>
#include <string>

#include "common/site_queue.h"
#include "common/status.h"

namespace vantrel {

class install_ui {
 public:
  virtual ~install_ui() = default;
  // A failure the user must hear of (an OK box).
  virtual void message(const std::string& text) = 0;
  // "Confirm ParseDef Overwrite" with text; true for Yes.
  virtual bool confirm_overwrite(const std::string& text) = 0;
};

// Texts of the installer, with %1 and %2 filled in.
std::string text_unable_to_open(const std::string& path);      // 135
std::string text_unable_to_create(const std::string& folder);  // 136
std::string text_overwrite(const std::string& existing, int existing_version, const std::string& path,
                           int version);                                                     // 138
std::string text_unable_to_copy(const std::string& source, const std::string& destination);  // 139
std::string text_unable_to_queue(const std::string& destination);                            // 140
// 140, then why the name cannot be queued (queue_name_problem) and what to do.
std::string text_unqueueable_name(const std::string& relative, const std::string& problem);
constexpr const char* overwrite_caption = "Confirm ParseDef Overwrite";  // 137

// What the "Install ParseDef" dialog shows of a package: its name, category and version.
struct install_offer {
  std::string name, category;
  int version = -1;
};

class installer {
 public:
  // save_queue saves the queue (and tells the user when it cannot); false on failure.
  installer(std::string root, site_queue& queue, std::function<bool()> save_queue, install_ui& ui);

  // Whether opening path offers to install it: a package that does not lie in the library.
  bool offers_install(const std::string& path) const;
  // What the offer to install path shows, read from the package; a failure (said to the user,
  // text 135) when it cannot be opened.
  result<install_offer> offer_for(const std::string& path);
  // 0, or -1 on any failure or refusal (the user was told, except for a refusal).
  int install_parsedef(const std::string& path, bool add_to_queue);
  // The library file the last install put in place (or found already there); "" before one.
  const std::string& installed() const { return installed_; }
  // Removes the queue entry of a library file and saves the queue: 0, or -1 when it had none.
  int unqueue_parsedef(const std::string& path);

 private:
  std::string root_;
  site_queue& queue_;
  std::function<bool()> save_queue_;
  install_ui& ui_;
  std::string installed_;
};

}  // namespace vantrel
