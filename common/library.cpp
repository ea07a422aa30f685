#include "common/library.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/prefs.h"
#include "common/text_util.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::string slashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

fs::path canonical_or_lexical(const fs::path& path) {
  std::error_code ec;
  fs::path result = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : result;
}

}  // namespace

namespace {

// The rest of full after the components of base, or nullopt when full does not lie below it.
std::optional<fs::path> below(const fs::path& base, const fs::path& full) {
  auto f = full.begin();
  for (auto b = base.begin(); b != base.end(); ++b, ++f) {
    if (b->empty() && std::next(b) == base.end()) break;  // a trailing separator
    if (f == full.end() || *f != *b) return std::nullopt;
  }
  fs::path rest;
  for (; f != full.end(); ++f) rest /= *f;
  if (rest.empty()) return std::nullopt;
  return rest;
}

}  // namespace

std::optional<std::string> relative_to_root(const std::string& root, const std::string& path) {
  if (path.empty()) return std::nullopt;
  // As written first, so a category that is a link to elsewhere keeps its files inside the
  // library; then as the file system resolves both.
  const fs::path full = fs::absolute(slashes(path)).lexically_normal();
  const fs::path base = fs::absolute(slashes(root)).lexically_normal();
  if (auto rest = below(base, full)) return rest->generic_string();
  const fs::path real_full = canonical_or_lexical(full), real_base = canonical_or_lexical(base);
  if (auto rest = below(real_base, real_full)) return rest->generic_string();
  return real_full.string();
}

bool is_inside_library(const std::string& relative) { return !relative.empty() && relative[0] != '/'; }

std::string library_path(const std::string& root, const std::string& relative) {
  std::string joined = root;
  if (joined.empty() || joined.back() != '/') joined += '/';
  return joined + slashes(relative);
}

std::optional<std::string> find_in_folder(const std::string& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(fs::path(folder) / name, ec)) return (fs::path(folder) / name).string();
  std::optional<std::string> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string candidate = it->path().filename().string();
    if (iequals(candidate, name) && (!found || candidate < fs::path(*found).filename().string())) {
      found = it->path().string();
    }
  }
  return found;
}

std::optional<std::string> find_library_file(const std::string& root, const std::string& relative) {
  std::error_code ec;
  const std::string exact = library_path(root, relative);
  if (fs::is_regular_file(exact, ec)) return exact;
  std::string folder = root.empty() ? std::string("/") : root;
  const fs::path parts(slashes(relative));
  for (const fs::path& part : parts) {
    if (part.empty() || part == "/") continue;
    auto next = find_in_folder(folder, part.string());
    if (!next) return std::nullopt;
    folder = *next;
  }
  if (!fs::is_regular_file(folder, ec)) return std::nullopt;
  return folder;
}

size_t library_category::site_count() const {
  size_t n = sites.size();
  for (const auto& c : categories) n += c.site_count();
  return n;
}

namespace {

// seen holds the canonical paths of the folders walked (a link back to an ancestor leads to
// one); prefix is folder's path under the root.
void walk(const fs::path& folder, const std::string& prefix, library_category& node, std::set<std::string>& seen,
          const std::string& app) {
  std::error_code ec;
  const std::string key = fs::canonical(folder, ec).string();
  if (ec || !seen.insert(key).second) return;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    const std::string relative = prefix.empty() ? name : prefix + "/" + name;
    std::error_code type_ec;
    if (it->is_directory(type_ec)) {
      library_category child;
      child.title = name;
      walk(it->path(), relative, child, seen, app);
      node.categories.push_back(std::move(child));
      continue;
    }
    // Only regular files: opening a pipe named like a package would wait for ever.
    if (!it->is_regular_file(type_ec)) continue;
    const bool xml = name.size() >= 4 && iequals(std::string_view(name).substr(name.size() - 4), ".xml");
    if (!xml && is_package_name(name) == 0) continue;
    parsedef_file file(app);
    if (file.load(it->path().string()) != 0) continue;
    auto site_name = file.get_name();
    if (!site_name || site_name->empty()) continue;
    node.sites.push_back({*site_name, it->path().string(), relative});
  }
  std::sort(node.categories.begin(), node.categories.end(),
            [](const auto& a, const auto& b) { return lower_ascii(a.title) < lower_ascii(b.title); });
  std::sort(node.sites.begin(), node.sites.end(),
            [](const auto& a, const auto& b) { return lower_ascii(a.name) < lower_ascii(b.name); });
}

}  // namespace

library_category walk_library(const std::string& root, const std::string& app) {
  library_category top;
  std::set<std::string> seen;
  walk(root, "", top, seen, app);
  return top;
}

std::optional<std::string> starter_library_folder() {
#ifdef VANTREL_SOURCE_STARTER
  return shipped_path("starter", VANTREL_SOURCE_STARTER);
#else
  return shipped_path("starter", "");
#endif
}

int install_starter_library(const prefs& settings, const std::string& starter) {
  constexpr const char* offered_key = "starter_library_offered";
  if (settings.get_text("preferences", offered_key).value_or("") == "1") return 0;
  const std::string root = settings.get_parsedef_root();
  settings.set_text("preferences", offered_key, "1");
  std::error_code ec;
  if (fs::exists(root, ec) && !fs::is_empty(root, ec)) return 0;
  int copied = 0;
  for (fs::recursive_directory_iterator it(starter, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path rel = it->path().lexically_relative(starter);
    const std::string ext = it->path().extension().string();
    if (!it->is_regular_file(ec) || (!iequals(ext, ".xml") && !iequals(ext, ".bmp"))) continue;
    fs::create_directories((fs::path(root) / rel).parent_path(), ec);
    if (fs::copy_file(it->path(), fs::path(root) / rel, fs::copy_options::skip_existing, ec)) ++copied;
  }
  return copied;
}

}  // namespace vantrel
