#include "app/installer.h"

#include <algorithm>
#include <filesystem>

#include "common/library.h"
#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/text_util.h"
#include "common/trace_log.h"

namespace vantrel {

namespace fs = std::filesystem;

std::string text_unable_to_open(const std::string& path) { return "Unable to open file " + path + "."; }
std::string text_unable_to_create(const std::string& folder) { return "Unable to create directory " + folder + "."; }
std::string text_overwrite(const std::string& existing, int existing_version, const std::string& path, int version) {
  return "A newer or same file exists at the destination location of the ParseDef file you are trying to "
         "install.\n\nExisting  file:\n" +
         existing + " (version " + std::to_string(existing_version) + ")\n\nNew file:\n" + path + " (version " +
         std::to_string(version) + ")\n\nOverwrite the existing file?";
}
std::string text_unable_to_copy(const std::string& source, const std::string& destination) {
  return "Unable to copy file \"" + source + "\" to \"" + destination + "\". Check for insufficient disk space.";
}
std::string text_unable_to_queue(const std::string& destination) {
  return "Unable to add file " + destination + " to queue.";
}

std::string text_unqueueable_name(const std::string& relative, const std::string& problem) {
  return text_unable_to_queue(printable_text(relative)) + "\n" + problem + "; rename the file to queue it.";
}

namespace {

// The category as a relative folder ("\" read as "/"), or nullopt when it would leave the
// library: absolute, or with a "." or ".." segment.
std::optional<fs::path> category_folder(const std::string& category) {
  std::string text = category;
  std::replace(text.begin(), text.end(), '\\', '/');
  fs::path folder;
  if (!text.empty() && text[0] == '/') return std::nullopt;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    const std::string segment = text.substr(start, end - start);
    if (segment == "." || segment == "..") return std::nullopt;
    if (!segment.empty()) folder /= segment;
    start = end + 1;
  }
  return folder;
}

bool inside(const fs::path& folder, const fs::path& file) {
  const fs::path f = fs::weakly_canonical(file), d = fs::weakly_canonical(folder);
  auto rel = f.lexically_relative(d);
  return !rel.empty() && *rel.begin() != "..";
}

// Whether the logo a replaced ".xml" document names is its own picture, which goes with it: a
// ".bmp" or ".png" file in the folder that no other ParseDef document of the folder names. A
// document's logo attribute is only text: it could name the queue file or another site's logo.
bool own_picture(const fs::path& folder, const fs::path& document, const fs::path& logo) {
  std::error_code ec;
  const std::string ext = lower_ascii(logo.extension().string());
  if ((ext != ".bmp" && ext != ".png") || !inside(folder, logo) || !fs::is_regular_file(logo, ec)) return false;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!iequals(it->path().extension().string(), ".xml") || fs::equivalent(it->path(), document, ec) ||
        !it->is_regular_file(ec)) {
      continue;
    }
    parsedef_file other(tidewatch_folder);
    if (other.load(it->path().string()) != 0) continue;
    const auto other_logo = other.get_logo();
    if (other_logo && fs::equivalent(*other_logo, logo, ec)) return false;
  }
  return true;
}

// Copies source beside destination under a temporary name, then renames it into place, so a
// failed copy leaves whatever was there.
bool copy_into_place(const fs::path& source, const fs::path& destination) {
  auto temp =
      platform::create_unique_file(destination.parent_path().string(), "." + destination.filename().string() + ".");
  if (!temp) {
    trace("install_parsedef: %s", temp.message().c_str());
    return false;
  }
  std::error_code ec;
  fs::copy_file(source, *temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(*temp, destination, ec);
  if (ec) {
    trace("install_parsedef: %s", ec.message().c_str());
    fs::remove(*temp, ec);
    return false;
  }
  return true;
}

}  // namespace

installer::installer(std::string root, site_queue& queue, std::function<bool()> save_queue, install_ui& ui)
    : root_(std::move(root)), queue_(queue), save_queue_(std::move(save_queue)), ui_(ui) {}

bool installer::offers_install(const std::string& path) const {
  if (is_package_name(path) == 0) return false;
  auto rel = relative_to_root(root_, path);
  return !rel || !is_inside_library(*rel);
}

int installer::unqueue_parsedef(const std::string& path) {
  auto rel = relative_to_root(root_, path);
  if (!rel || queue_.remove(*rel) != 0) return -1;
  save_queue_();
  return 0;
}

result<install_offer> installer::offer_for(const std::string& path) {
  parsedef_file file(tidewatch_folder);
  if (file.load(path) != 0) {
    ui_.message(text_unable_to_open(path));
    return status(status_code::invalid, path + ": " + file.last_error());
  }
  return install_offer{file.get_name().value_or(""), file.get_category(), file.get_version()};
}

int installer::install_parsedef(const std::string& path, bool add_to_queue) {
  parsedef_file incoming(tidewatch_folder);
  if (incoming.load(path) != 0) {
    ui_.message(text_unable_to_open(path));
    return -1;
  }
  const int version = incoming.get_version();
  const std::string name = incoming.get_name().value_or("");
  const std::string category = incoming.get_category();
  incoming.close();

  auto folder = category_folder(category);
  const fs::path target = fs::path(root_) / folder.value_or(fs::path());
  if (!folder || make_path_dirs(target.string(), 1) != 0) {
    ui_.message(text_unable_to_create(folder ? target.string() : (fs::path(root_) / category).string()));
    return -1;
  }
  const fs::path source(path);
  const fs::path destination = target / source.filename();
  std::error_code ec;
  // The installed version by the library's letter-case rule: "Gazette.nov" replaces
  // "gazette.nov" (and asks first), it does not land beside it.
  fs::path existing;
  if (auto found = find_in_folder(target.string(), source.filename().string())) {
    existing = *found;
  } else if (auto twin = find_in_folder(target.string(), source.stem().string() + ".xml")) {
    existing = *twin;
  }

  // The same file by another spelling: nothing to copy, nothing to delete.
  const bool same_file = !existing.empty() && fs::equivalent(source, existing, ec);
  std::optional<std::string> old_logo;
  if (!existing.empty() && !same_file) {
    parsedef_file old(tidewatch_folder);
    if (old.load(existing.string()) == 0) {
      old_logo = old.get_logo();
      const int old_version = old.get_version();
      if (old_version >= version &&
          !ui_.confirm_overwrite(text_overwrite(existing.string(), old_version, path, version))) {
        return -1;
      }
    }
  }

  if (!same_file) {
    if (!copy_into_place(source, destination)) {
      ui_.message(text_unable_to_copy(path, destination.string()));
      return -1;
    }
    // Only now is the old version taken away: its file (when it had another name: the ".xml"
    // twin, or another letter case), its own picture, and its queue entry.
    if (!existing.empty()) {
      if (old_logo && !fs::equivalent(*old_logo, destination, ec) && own_picture(target, existing, *old_logo)) {
        fs::remove(*old_logo, ec);
      }
      if (existing != destination) fs::remove(existing, ec);
      unqueue_parsedef(existing.string());
    }
  }

  // The site is its library file from now on: opening it "after install" runs this one.
  installed_ = (same_file ? existing : destination).string();
  if (add_to_queue) {
    auto rel = relative_to_root(root_, destination.string());
    if (!rel || !is_inside_library(*rel)) {
      ui_.message(text_unable_to_queue(destination.string()));
      return -1;
    }
    if (auto problem = queue_name_problem(*rel)) {
      ui_.message(text_unqueueable_name(*rel, *problem));
      return -1;
    }
    if (queue_.find(*rel) == nullptr) {
      auto entry = std::make_unique<queue_site>();
      entry->fname = *rel;
      entry->name = name;
      queue_.add(std::move(entry));
      save_queue_();
    }
  }
  return 0;
}

}  // namespace vantrel
